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

void Neuron::back_propagate()
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
        connection.weight += (learning_rate * delta) * source.output;
        if (connection.weight > max_weight)
            connection.weight = max_weight;
        if (connection.weight < -max_weight)
            connection.weight = -max_weight;
    }
    error = 0.0;
}
