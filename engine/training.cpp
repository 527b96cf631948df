// Online back-propagation: a check pass before every training pass, weights updated after
// each pattern, the backward pass from the last neuron to the first.
#include "engine/network.h"
#include "engine/training_run.h"

#include "engine/fast_form.h"

#include <algorithm>
#include <cmath>

namespace {

// True when every output lies within the error limit. Stops at the first difference that
// compares greater than the limit (a NaN difference never does).
bool outputs_fit(const TrainingPattern& pattern, const double* outputs, double error_limit)
{
    for (std::size_t k = 0; k < pattern.expected_outputs.size(); ++k)
        if (std::fabs(pattern.expected_outputs[k] - outputs[k]) > error_limit)
            return false;
    return true;
}

// The check pass neuron by neuron: true when every pattern fits.
bool check_pass(Network& network, const std::vector<TrainingPattern>& patterns, std::vector<double>& outputs)
{
    for (const TrainingPattern& pattern : patterns) {
        network.set_inputs(pattern.inputs);
        network.evaluate();
        network.get_outputs(outputs);
        if (!outputs_fit(pattern, outputs.data(), network.error_limit))
            return false;
    }
    return true;
}

// The check pass on the fast form, several patterns side by side. It leaves the network as
// the pattern-by-pattern pass would: holding the outputs of the last pattern it checked.
bool fast_check_pass(FastForm& fast, std::vector<Neuron>& neurons, const std::vector<TrainingPattern>& patterns,
                     double error_limit)
{
    const double* rows[FastForm::group_rows];
    // The first pattern alone: while training is far from its goal, the pass stops there.
    int group = 1;
    for (std::size_t next = 0; next < patterns.size(); next += static_cast<std::size_t>(group)) {
        group = static_cast<int>(std::min<std::size_t>(next == 0 ? 1 : FastForm::group_rows, patterns.size() - next));
        for (int r = 0; r < group; ++r)
            rows[r] = patterns[next + static_cast<std::size_t>(r)].inputs.data();
        fast.evaluate_group(rows, group);
        for (int r = 0; r < group; ++r)
            if (!outputs_fit(patterns[next + static_cast<std::size_t>(r)], fast.group_outputs(r), error_limit)) {
                fast.keep_group_row(r, neurons);
                return false;
            }
        if (next + static_cast<std::size_t>(group) == patterns.size())
            fast.keep_group_row(group - 1, neurons);
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
    TrainingRun run(max_iterations);
    return run.step(*this, max_iterations).result;
}

int Network::train_passes(int passes, int& made, std::vector<double>& outputs,
                          const std::vector<TrainingPattern>& trained)
{
    if (fast_form_active()) {
        FastForm& fast = *fast_form;
        // Training changes no parameter but the thresholds it learns, which the fast form
        // keeps until it stores them: it reads the parameters once.
        fast.load_parameters(neurons);
        fast.learn_thresholds(learn_thresholds);
        int pass = 0;
        for (; pass < passes; ++pass) {
            if (fast_check_pass(fast, neurons, trained, error_limit)) {
                made = pass;
                fast.store_weights(neurons);
                return Converged;
            }
            for (const TrainingPattern& pattern : trained)
                fast.train_pattern(pattern.inputs.data(), pattern.expected_outputs.data());
        }
        made = pass;
        if (pass > 0)
            fast.store_outputs(neurons);
        fast.store_weights(neurons);
        return IterationLimit;
    }

    outputs.resize(static_cast<std::size_t>(output_count()));
    const std::size_t first_output = neurons.size() - outputs.size();
    int pass = 0;
    for (; pass < passes; ++pass) {
        if (check_pass(*this, trained, outputs)) {
            made = pass;
            return Converged;
        }
        for (const TrainingPattern& pattern : trained) {
            set_inputs(pattern.inputs);
            evaluate();
            get_outputs(outputs);
            for (std::size_t k = 0; k < outputs.size(); ++k)
                neurons[first_output + k].error = pattern.expected_outputs[k] - outputs[k];
            for (std::size_t i = neurons.size(); i-- > 0;)
                neurons[i].back_propagate(learn_thresholds);
        }
    }
    made = pass;
    return IterationLimit;
}
