// One neuron's share of evaluation and of back-propagation.
#include "engine/neuron.h"

#include "engine/logistic.h"

Neuron::Neuron(std::vector<Neuron>& neuron_list, bool is_computing)
    : neuron_list(&neuron_list), is_computing(is_computing)
{
}

void Neuron::add_connection(int source, double weight)
{
    if (!is_computing)
        return;
    connections.push_back(Connection{source, weight});
}

void Neuron::compute_output()
{
    if (!is_computing)
        return;
    const std::vector<Neuron>& list = *neuron_list;
    double sum = 0.0;
    for (const Connection& connection : connections)
        sum += list[connection.source].output * connection.weight;
    output = engine_logistic(sum, threshold, slope_parameter);
}

namespace {

// A weight or threshold after an update: within +-limit, the upper bound first.
double clamped(double value, double limit)
{
    if (value > limit)
        value = limit;
    if (value < -limit)
        value = -limit;
    return value;
}

}  // namespace

void Neuron::back_propagate(bool learn_threshold)
{
    if (!is_computing) {
        error = 0.0;
        return;
    }
    std::vector<Neuron>& list = *neuron_list;
    const double delta = ((error * slope_parameter) * output) * (1.0 - output);
    for (Connection& connection : connections) {
        Neuron& source = list[connection.source];
        source.error += delta * connection.weight;
        connection.weight = clamped(connection.weight + (learning_rate * delta) * source.output, max_weight);
    }
    // d output / d threshold is -(d output / d sum): the update of a weight whose source is -1.
    if (learn_threshold)
        threshold = clamped(threshold - learning_rate * delta, max_weight);
    error = 0.0;
}
