// Fuzz target: any bytes as a network file with training records. Builds the network, reads
// the training section and trains for a bounded amount of work.
#include "tests/fuzz/fuzz_support.h"

#include "engine/diagnostics.h"
#include "engine/network.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace {

// Work one input may spend on training, counted per pattern of each pass as its connections,
// its neurons and a fixed cost for the pattern's own steps; some 20 ms under the sanitizers.
constexpr long long training_budget = 300000;
constexpr long long cost_per_pattern = 50;

long long connection_count(const Network& network)
{
    long long count = 0;
    for (int position = 0; position < network.neuron_count(); ++position)
        count += static_cast<long long>(network.neuron(position).connections.size());
    return count;
}

void check_weights_within_limit(const Network& network)
{
    for (int position = 0; position < network.neuron_count(); ++position) {
        const Neuron& neuron = network.neuron(position);
        for (const Connection& connection : neuron.connections) {
            if (std::fabs(connection.weight) > neuron.max_weight)
                fuzz_failure("training left a weight beyond max_weight");
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (!declared_size_fits(data, size))
        return -1;
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    Network network = Network::from_text(text);
    Diagnostics diagnostics;
    const int bad_tokens = network.read_training_text(text, &diagnostics);
    if (bad_tokens < 0)
        fuzz_failure("the training reader returned a negative count");
    if (diagnostics.pattern_lines.size() != static_cast<std::size_t>(network.pattern_count()))
        fuzz_failure("a pattern without its line number");

    // What train(file_name) does after reading, with the passes bounded.
    if (bad_tokens > 0 || !network.patterns_fit())
        return 0;
    const long long work_per_pass =
        std::max(1LL, static_cast<long long>(network.pattern_count()) *
                          (connection_count(network) + network.neuron_count() + cost_per_pattern));
    const int passes = static_cast<int>(std::min<long long>(network.max_iterations, training_budget / work_per_pass));
    network.max_iterations = passes;
    const int result = network.train(nullptr);
    if (result != Converged && result != IterationLimit)
        fuzz_failure("train refused patterns that fit");
    if (network.iterations_done > std::max(0, passes))
        fuzz_failure("train ran more passes than max_iterations");
    // Every weight is held to its neuron's limit after each update; with a limit that is not
    // a positive number the engine's clamping has no meaning, so only sound limits are checked.
    const double limit = network.max_weight();
    if (passes > 0 && network.pattern_count() > 0 && limit >= 0.0 && network.iterations_done > 0)
        check_weights_within_limit(network);
    return 0;
}
