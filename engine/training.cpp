// Online back-propagation: a check pass before every training pass, weights updated after
// each pattern, the backward pass from the last neuron to the first.
#include "engine/network.h"

#include <cmath>

namespace {

// True when every output of every pattern lies within the error limit. Stops at the first
// difference that compares greater than the limit (a NaN difference never does).
bool check_pass(Network& network, const std::vector<TrainingPattern>& patterns,
                std::vector<double>& outputs)
{
    for (const TrainingPattern& pattern : patterns) {
        network.set_inputs(pattern.inputs);
        network.evaluate();
        network.get_outputs(outputs);
        for (std::size_t k = 0; k < outputs.size(); ++k) {
            if (std::fabs(pattern.expected_outputs[k] - outputs[k]) > network.error_limit)
                return false;
        }
    }
    return true;
}

}  // namespace

int Network::train(const char* file_name, Diagnostics* diagnostics)
{
    if (file_name != nullptr) {
        clear_patterns();
        if (read_training_section(file_name, diagnostics) > 0)
            return NoUsablePatterns;
    }
    if (!patterns_fit())
        return NoUsablePatterns;

    std::vector<double> outputs(static_cast<std::size_t>(output_count()));
    const std::size_t first_output = neurons.size() - outputs.size();
    int pass = 0;
    for (; pass < max_iterations; ++pass) {
        if (check_pass(*this, patterns, outputs)) {
            iterations_done = pass;
            dense.store_weights(neurons);
            return Converged;
        }
        for (const TrainingPattern& pattern : patterns) {
            set_inputs(pattern.inputs);
            evaluate();
            get_outputs(outputs);
            if (dense.active()) {
                for (std::size_t k = 0; k < outputs.size(); ++k)
                    dense.set_error(static_cast<int>(first_output + k), pattern.expected_outputs[k] - outputs[k]);
                dense.back_propagate(neurons);
                continue;
            }
            for (std::size_t k = 0; k < outputs.size(); ++k)
                neurons[first_output + k].error = pattern.expected_outputs[k] - outputs[k];
            for (std::size_t i = neurons.size(); i-- > 0;)
                neurons[i].back_propagate();
        }
    }
    iterations_done = pass;
    dense.store_weights(neurons);
    return IterationLimit;
}
