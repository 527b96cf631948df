// Chunked training. One training run makes, for each pass, a check pass and then a training
// pass, and stops at a successful check or after max_iterations passes without a final check.
// A run limited to k passes makes exactly the first k of those steps, and the next run
// starts with the check the longer run would have made next, so a sequence of runs whose
// limits add up to the whole limit gives the very same weights.
#include "net_train/chunked_training.h"

#include "engine/network.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

int train_in_chunks(Network& network, int first_chunk, const ChunkCallback& between_chunks)
{
    const int limit = network.max_iterations;
    const int iterations_before = network.iterations_done;
    int passes_done = 0;
    int chunk = std::max(first_chunk, 1);
    int result = IterationLimit;
    for (;;) {
        // A limit of 0 or less still goes through one run, which ends at once as it would.
        network.max_iterations = std::min(chunk, limit - passes_done);
        result = network.train(nullptr);
        if (result == NoUsablePatterns) {
            network.iterations_done = iterations_before;
            break;
        }
        passes_done += network.iterations_done;
        if (result == Converged || passes_done >= limit)
            break;
        chunk = std::max(between_chunks ? between_chunks(passes_done, chunk) : chunk, 1);
    }
    network.max_iterations = limit;
    if (result != NoUsablePatterns)
        network.iterations_done = passes_done;
    return result;
}

PatternErrors pattern_errors(Network& network)
{
    PatternErrors errors;
    bool not_a_number = false;
    double squares = 0.0;
    std::size_t differences = 0;
    std::vector<double> outputs;
    for (int index = 0; index < network.pattern_count(); ++index) {
        const TrainingPattern& pattern = network.pattern(index);
        if (!network.set_inputs(pattern.inputs))
            continue;
        network.evaluate();
        network.get_outputs(outputs);
        const std::size_t count = std::min(outputs.size(), pattern.expected_outputs.size());
        for (std::size_t k = 0; k < count; ++k) {
            const double difference = pattern.expected_outputs[k] - outputs[k];
            not_a_number = not_a_number || std::isnan(difference);
            errors.worst = std::max(errors.worst, std::fabs(difference));
            squares += difference * difference;
        }
        differences += count;
    }
    if (not_a_number)
        errors.worst = std::numeric_limits<double>::quiet_NaN();
    if (differences > 0)
        errors.mean_squared = squares / static_cast<double>(differences);
    return errors;
}

double worst_error(Network& network)
{
    return pattern_errors(network).worst;
}
