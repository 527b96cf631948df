// Fuzz target: any bytes as a network file, read with the random completion, evaluated, and
// copied. Checks that the network the reader keeps is consistent and its outputs in range.
#include "tests/fuzz/fuzz_support.h"

#include "engine/diagnostics.h"
#include "engine/network.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace {

void check_structure(const Network& network)
{
    long long neurons = 0;
    for (int layer = 0; layer < network.layer_count(); ++layer) {
        if (network.layer_size(layer) < 0)
            fuzz_failure("a negative layer size was kept");
        neurons += network.layer_size(layer);
    }
    if (neurons != network.neuron_count())
        fuzz_failure("the layer sizes do not add up to the neuron count");

    // After the random completion every computing neuron reads at least the whole layer before.
    int first_previous = 0;
    for (int layer = 1; layer < network.layer_count(); ++layer) {
        const int previous = network.layer_size(layer - 1);
        const int first = first_previous + previous;
        for (int position = first; position < first + network.layer_size(layer); ++position) {
            const Neuron& neuron = network.neuron(position);
            if (!neuron.is_computing || neuron.connections.size() < static_cast<std::size_t>(previous))
                fuzz_failure("a computing neuron lacks connections after the random completion");
            for (const Connection& connection : neuron.connections) {
                if (connection.source < first_previous || connection.source >= first)
                    fuzz_failure("a connection leads from outside the layer before");
            }
        }
        first_previous = first;
    }
}

void check_outputs(Network& network, double input)
{
    std::vector<double> inputs(static_cast<std::size_t>(network.input_count()), input);
    if (!network.set_inputs(inputs))
        fuzz_failure("set_inputs refused a list of input_count() values");
    network.evaluate();
    std::vector<double> outputs;
    network.get_outputs(outputs);
    if (outputs.size() != static_cast<std::size_t>(network.output_count()))
        fuzz_failure("get_outputs gave the wrong number of values");
    if (network.layer_count() < 2)
        return;
    // The logistic function stays within [0, 1]; NaN comes from a slope of 0 times an
    // infinite sum, which the formula allows.
    for (double value : outputs) {
        if (!std::isnan(value) && (value < 0.0 || value > 1.0))
            fuzz_failure("an output left [0, 1]");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (!declared_size_fits(data, size))
        return -1;
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    Diagnostics diagnostics;
    Network network = Network::from_text(text, &diagnostics);
    check_structure(network);
    check_outputs(network, 0.0);
    check_outputs(network, 1.0);

    Network copy(network);
    check_structure(copy);
    check_outputs(copy, 0.5);
    return 0;
}
