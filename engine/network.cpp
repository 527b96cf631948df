// Construction, copy, queries, parameter setters, patterns and forward evaluation of a Network,
// row by row or in batches.
#include "engine/network.h"

#include "engine/fast_form.h"
#include "engine/diagnostics.h"
#include "engine/line_source.h"

#include <algorithm>
#include <cmath>
#include <ctime>
#include <new>
#include <utility>

namespace {

// The draws depend on every bit of the seed, so narrowing the time changes which draws come,
// not whether they repeat.
unsigned time_seed()
{
    return static_cast<unsigned>(std::time(nullptr));
}

}  // namespace

Network::Network(const char* file_name, Diagnostics* diagnostics)
{
    read_network_file(file_name, diagnostics);
    complete_after_reading(time_seed(), diagnostics);
}

Network Network::from_text(std::string_view text, Diagnostics* diagnostics)
{
    return from_text(text, time_seed(), diagnostics);
}

Network Network::from_file(const char* file_name, unsigned seed, Diagnostics* diagnostics)
{
    Network network;
    network.read_network_file(file_name, diagnostics);
    network.complete_after_reading(seed, diagnostics);
    return network;
}

Network Network::from_text(std::string_view text, unsigned seed, Diagnostics* diagnostics)
{
    Network network;
    LineSource lines(text);
    network.read_network_records(lines, diagnostics);
    network.complete_after_reading(seed, diagnostics);
    return network;
}

// Completing the weights builds the fast form once, for the finished network.
void Network::complete_after_reading(unsigned seed, Diagnostics* diagnostics)
{
    const long long before = connection_count();
    if (!complete_weights(seed)) {
        refuse_for_memory(0, diagnostics);
        return;
    }
    if (diagnostics != nullptr)
        diagnostics->drawn_weights = connection_count() - before;
}

long long Network::connection_count() const
{
    long long count = 0;
    for (const Neuron& neuron : neurons)
        count += static_cast<long long>(neuron.connections.size());
    return count;
}

bool Network::weights_are_finite() const
{
    for (const Neuron& neuron : neurons) {
        for (const Connection& connection : neuron.connections) {
            if (!std::isfinite(connection.weight))
                return false;
        }
    }
    return true;
}

Network::Network(const Network& other)
    : error_limit(other.error_limit),
      max_iterations(other.max_iterations),
      iterations_done(other.iterations_done),
      learn_thresholds(other.learn_thresholds),
      held_out_share(other.held_out_share),
      held_out_seed(other.held_out_seed),
      neurons(other.neurons),
      layer_sizes(other.layer_sizes),
      patterns(other.patterns),
      fast_form(other.fast_form ? std::make_unique<FastForm>(*other.fast_form) : nullptr)
{
    point_neurons_here();
}

Network::Network(Network&& other) noexcept
    : error_limit(other.error_limit),
      max_iterations(other.max_iterations),
      iterations_done(other.iterations_done),
      learn_thresholds(other.learn_thresholds),
      held_out_share(other.held_out_share),
      held_out_seed(other.held_out_seed),
      neurons(std::move(other.neurons)),
      layer_sizes(std::move(other.layer_sizes)),
      patterns(std::move(other.patterns)),
      fast_form(std::move(other.fast_form))
{
    point_neurons_here();
    other.leave_empty();
}

Network& Network::operator=(const Network& other)
{
    if (this == &other)
        return *this;
    error_limit = other.error_limit;
    max_iterations = other.max_iterations;
    iterations_done = other.iterations_done;
    learn_thresholds = other.learn_thresholds;
    held_out_share = other.held_out_share;
    held_out_seed = other.held_out_seed;
    neurons = other.neurons;
    layer_sizes = other.layer_sizes;
    patterns = other.patterns;
    if (!other.fast_form)
        fast_form.reset();
    else if (fast_form)
        *fast_form = *other.fast_form;
    else
        fast_form = std::make_unique<FastForm>(*other.fast_form);
    point_neurons_here();
    return *this;
}

Network& Network::operator=(Network&& other) noexcept
{
    if (this == &other)
        return *this;
    error_limit = other.error_limit;
    max_iterations = other.max_iterations;
    iterations_done = other.iterations_done;
    learn_thresholds = other.learn_thresholds;
    held_out_share = other.held_out_share;
    held_out_seed = other.held_out_seed;
    neurons = std::move(other.neurons);
    layer_sizes = std::move(other.layer_sizes);
    patterns = std::move(other.patterns);
    fast_form = std::move(other.fast_form);
    point_neurons_here();
    other.leave_empty();
    return *this;
}

// What is left of a network moved from is an empty network, fast form included.
void Network::leave_empty() noexcept
{
    neurons.clear();
    layer_sizes.clear();
    patterns.clear();
    fast_form.reset();
}

Network::~Network() = default;

void Network::make_fast_form()
{
    if (!fast_form)
        fast_form = std::make_unique<FastForm>();
    fast_form->build(neurons, layer_sizes);
}

// The fast form reads the neurons' parameters again at its next use.
void Network::parameters_changed()
{
    if (fast_form)
        fast_form->parameters_changed();
}

bool Network::fast_form_active() const
{
    return fast_form && fast_form->active();
}

// Copied or moved neurons still refer to the source's list; make them read this network's own.
void Network::point_neurons_here()
{
    for (Neuron& neuron : neurons)
        neuron.neuron_list = &neurons;
}

int Network::input_count() const
{
    return layer_sizes.empty() ? 0 : layer_sizes.front();
}

int Network::output_count() const
{
    return layer_sizes.empty() ? 0 : layer_sizes.back();
}

int Network::layer_count() const
{
    return static_cast<int>(layer_sizes.size());
}

int Network::layer_size(int layer) const
{
    return layer_sizes[layer];
}

int Network::neuron_count() const
{
    return static_cast<int>(neurons.size());
}

int Network::pattern_count() const
{
    return static_cast<int>(patterns.size());
}

const TrainingPattern& Network::pattern(int index) const
{
    return patterns[index];
}

const Neuron& Network::neuron(int position) const
{
    return neurons[position];
}

double Network::threshold() const
{
    return neurons.empty() ? 0.0 : neurons.front().threshold;
}

double Network::slope_parameter() const
{
    return neurons.empty() ? 0.0 : neurons.front().slope_parameter;
}

double Network::learning_rate() const
{
    return neurons.empty() ? 0.0 : neurons.front().learning_rate;
}

double Network::max_weight() const
{
    return neurons.empty() ? 0.0 : neurons.front().max_weight;
}

namespace {

void set_every(std::vector<Neuron>& neurons, double Neuron::*parameter, double value)
{
    for (Neuron& neuron : neurons)
        neuron.*parameter = value;
}

}  // namespace

// Each setter also tells the fast form to read the parameters again.
void Network::set_threshold_all(double value)
{
    set_every(neurons, &Neuron::threshold, value);
    parameters_changed();
}

void Network::set_slope_parameter_all(double value)
{
    set_every(neurons, &Neuron::slope_parameter, value);
    parameters_changed();
}

void Network::set_learning_rate_all(double value)
{
    set_every(neurons, &Neuron::learning_rate, value);
    parameters_changed();
}

void Network::set_max_weight_all(double value)
{
    set_every(neurons, &Neuron::max_weight, value);
    parameters_changed();
}

bool Network::set_weights(const std::vector<double>& weights)
{
    std::size_t count = 0;
    for (const Neuron& neuron : neurons)
        count += neuron.connections.size();
    if (count != weights.size())
        return false;
    std::size_t next = 0;
    for (Neuron& neuron : neurons) {
        for (Connection& connection : neuron.connections)
            connection.weight = weights[next++];
    }
    try {
        make_fast_form();
    } catch (const std::bad_alloc&) {
        refuse_network();
        return false;
    }
    return true;
}

void Network::add_pattern(const TrainingPattern& pattern)
{
    patterns.push_back(pattern);
}

void Network::clear_patterns()
{
    patterns.clear();
}

bool Network::patterns_fit() const
{
    const std::size_t inputs = static_cast<std::size_t>(input_count());
    const std::size_t outputs = static_cast<std::size_t>(output_count());
    for (const TrainingPattern& pattern : patterns) {
        if (pattern.inputs.size() != inputs || pattern.expected_outputs.size() != outputs)
            return false;
    }
    return true;
}

bool Network::set_inputs(const std::vector<double>& values)
{
    if (values.size() != static_cast<std::size_t>(input_count()))
        return false;
    if (fast_form_active()) {
        fast_form->take_inputs(values, neurons);
        return true;
    }
    for (std::size_t i = 0; i < values.size(); ++i)
        neurons[i].output = values[i];
    return true;
}

void Network::evaluate()
{
    if (fast_form_active()) {
        fast_form->evaluate(neurons);
        return;
    }
    for (Neuron& neuron : neurons)
        neuron.compute_output();
}

void Network::get_outputs(std::vector<double>& values) const
{
    const std::size_t count = static_cast<std::size_t>(output_count());
    if (values.size() != count)
        values.resize(count);
    // The fast form keeps the neurons' outputs in step.
    const std::size_t first = neurons.size() - count;
    for (std::size_t k = 0; k < count; ++k)
        values[k] = neurons[first + k].output;
}

bool Network::evaluate_batch(const double* inputs, double* outputs, int row_count)
{
    const std::size_t input_total = static_cast<std::size_t>(input_count());
    const std::size_t output_total = static_cast<std::size_t>(output_count());
    // A buffer that would be read or written must be there.
    if (row_count < 0 || (row_count > 0 && ((inputs == nullptr && input_total > 0) ||
                                            (outputs == nullptr && output_total > 0))))
        return false;
    const std::size_t first_output = neurons.size() - output_total;
    if (!fast_form_active()) {
        for (int row = 0; row < row_count; ++row) {
            const double* row_inputs = inputs + static_cast<std::size_t>(row) * input_total;
            for (std::size_t i = 0; i < input_total; ++i)
                neurons[i].output = row_inputs[i];
            for (Neuron& neuron : neurons)
                neuron.compute_output();
            for (std::size_t k = 0; k < output_total; ++k)
                outputs[static_cast<std::size_t>(row) * output_total + k] = neurons[first_output + k].output;
        }
        return true;
    }
    FastForm& fast = *fast_form;
    fast.load_parameters(neurons);
    const double* rows[FastForm::group_rows];
    // Stepping by the group actually taken keeps `first` within row_count, even near INT_MAX.
    for (int first = 0, group = 0; first < row_count; first += group) {
        group = std::min(FastForm::group_rows, row_count - first);
        for (int r = 0; r < group; ++r)
            rows[r] = inputs + static_cast<std::size_t>(first + r) * input_total;
        fast.evaluate_group(rows, group);
        for (int r = 0; r < group; ++r)
            std::copy(fast.group_outputs(r), fast.group_outputs(r) + output_total,
                      outputs + static_cast<std::size_t>(first + r) * output_total);
        if (first + group == row_count)
            fast.keep_group_row(group - 1, neurons);
    }
    return true;
}
