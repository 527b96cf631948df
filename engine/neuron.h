/// @file
/// One unit of a network and its incoming links, in the neuron-by-neuron form that the network
/// keeps and its users read; the fast form works from the same lists.
#ifndef ENGINE_NEURON_H
#define ENGINE_NEURON_H

#include "export.h"

#include <vector>

/// One incoming link of a computing neuron.
struct Connection {
    int source;     ///< position of the source neuron in the network's neuron list
    double weight;  ///< weight of the link
};

/// The four parameters of a neuron, with the values a new neuron starts with.
struct NeuronParameters {
    double threshold = 0.0;        ///< subtracted from the weighted input sum
    double slope_parameter = 0.5;  ///< steepness of the logistic function
    double learning_rate = 5.0;    ///< factor of the neuron's weight changes in training
    double max_weight = 10.0;      ///< bound on |weight| after each training update
};

/// One unit of a network. Neurons live in their network's list and never move within it.
class NC_API Neuron {
public:
    /// A neuron of the network whose list is `neuron_list`, with the parameters' starting
    /// values and no connections.
    Neuron(std::vector<Neuron>& neuron_list, bool is_computing);

    std::vector<Neuron>* neuron_list;     ///< the list of the network that holds this neuron
    double threshold = NeuronParameters{}.threshold;              ///< subtracted from the weighted input sum
    double slope_parameter = NeuronParameters{}.slope_parameter;  ///< steepness of the logistic function
    double learning_rate = NeuronParameters{}.learning_rate;  ///< factor of this neuron's weight changes in training
    double max_weight = NeuronParameters{}.max_weight;        ///< bound on |weight| after each training update
    double output = 0.0;                  ///< current output value
    std::vector<Connection> connections;  ///< incoming links, in the order they were added
    double error = 0.0;                   ///< error gathered during one back-propagation step
    bool is_computing;                    ///< false for an input neuron; never changes

    /// Appends a connection on a computing neuron; does nothing on an input neuron.
    void add_connection(int source, double weight);
    /// Computing neuron: output = 1 / (1 + exp(-slope * (sum - threshold))), with the engine's
    /// own exp (within 1 ulp of the correctly rounded value). Input neuron: nothing.
    void compute_output();
    /// One back-propagation step: passes delta * weight back to each source, updates and
    /// clamps each weight, then resets its own error to 0. With `learn_threshold`, last of
    /// all the threshold moves as a weight from a source whose output is always -1 would:
    /// threshold - learning_rate * delta, clamped to +-max_weight.
    void back_propagate(bool learn_threshold = false);
};

#endif
