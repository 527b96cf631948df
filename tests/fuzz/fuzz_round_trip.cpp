// Fuzz target: read any bytes as a network file, write the network, read it back. The copy
// must have the same layer sizes and connections (only the first weights of a list that
// repeats sources or is longer than the layer before), with every weight, threshold and the
// shared slope equal to the original rounded to 17 decimals.
#include "tests/fuzz/fuzz_support.h"

#include "engine/network.h"

#include <charconv>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string_view>

namespace {

// The value the writer's text stands for: fixed-point with 17 decimals, read back.
double rounded_to_17_decimals(double value)
{
    char text[400];
    const auto result = std::to_chars(text, text + sizeof text - 1, value, std::chars_format::fixed, 17);
    *result.ptr = '\0';
    return std::strtod(text, nullptr);
}

bool same_after_writing(double original, double read_back)
{
    return rounded_to_17_decimals(original) == read_back;
}

void compare(const Network& original, const Network& read_back)
{
    if (original.neuron_count() == 0) {
        // Written as the one line "Network is empty, nothing to save here.".
        if (read_back.neuron_count() != 0 || read_back.layer_count() != 0)
            fuzz_failure("an empty network came back with neurons or layers");
        return;
    }
    if (read_back.layer_count() != original.layer_count())
        fuzz_failure("the layer count changed");
    for (int layer = 0; layer < original.layer_count(); ++layer) {
        if (read_back.layer_size(layer) != original.layer_size(layer))
            fuzz_failure("a layer size changed");
    }
    if (read_back.neuron_count() != original.neuron_count())
        fuzz_failure("the neuron count changed");

    int first_previous = 0;
    for (int layer = 1; layer < original.layer_count(); ++layer) {
        const std::size_t previous = static_cast<std::size_t>(original.layer_size(layer - 1));
        const int first = first_previous + original.layer_size(layer - 1);
        for (int position = first; position < first + original.layer_size(layer); ++position) {
            const Neuron& written = original.neuron(position);
            const Neuron& read = read_back.neuron(position);
            // Reading takes one weight from each neuron of the layer before, in order: a list
            // in that order comes back whole. Records after "comp_layer: 0" append to a list
            // again from the first source, so a list can repeat sources or grow beyond the
            // layer before; its first weights then come back in that order.
            if (written.connections.size() < previous || read.connections.size() != previous)
                fuzz_failure("a neuron came back with another number of connections");
            for (std::size_t k = 0; k < previous; ++k) {
                if (read.connections[k].source != first_previous + static_cast<int>(k))
                    fuzz_failure("a connection came back from another source");
                if (!same_after_writing(written.connections[k].weight, read.connections[k].weight))
                    fuzz_failure("a weight changed beyond rounding to 17 decimals");
            }
        }
        first_previous = first;
    }

    // Thresholds that differ come back neuron by neuron; the slope is one for all neurons.
    for (int position = 0; position < read_back.neuron_count(); ++position) {
        const Neuron& read = read_back.neuron(position);
        if (!same_after_writing(original.neuron(position).threshold, read.threshold))
            fuzz_failure("a threshold changed beyond rounding to 17 decimals");
        if (!same_after_writing(original.slope_parameter(), read.slope_parameter))
            fuzz_failure("the shared slope changed beyond rounding to 17 decimals");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (!declared_size_fits(data, size))
        return -1;
    const Network original = Network::from_text(std::string_view(reinterpret_cast<const char*>(data), size));
    std::ostringstream written;
    if (!original.write_network(written))
        fuzz_failure("writing to memory failed");
    const Network read_back = Network::from_text(written.str());
    compare(original, read_back);
    return 0;
}
