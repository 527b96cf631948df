// A network built from layer sizes, every neuron fully connected to the layer before, its
// starting weights drawn from a seed in a range set by each neuron's fan-in and fan-out.
#include "engine/network.h"

#include "engine/fast_form.h"
#include "engine/diagnostics.h"
#include "engine/random_source.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <new>
#include <string>

namespace {

// Why the reader would refuse a file describing these layers; empty when it would keep them.
std::string layer_sizes_refusal(const std::vector<int>& sizes)
{
    if (sizes.size() < 2)
        return "a network needs an input layer and at least one computing layer";
    long long neurons = 0;
    long long connections = 0;
    for (std::size_t layer = 0; layer < sizes.size(); ++layer) {
        if (sizes[layer] < 1)
            return "layer " + std::to_string(layer + 1) + " has " + std::to_string(sizes[layer]) +
                   " neurons, not 1 or more";
        neurons += sizes[layer];
        if (layer > 0)
            connections += static_cast<long long>(sizes[layer - 1]) * sizes[layer];
        if (neurons > Network::max_neuron_count)
            return "the network would have more than " + std::to_string(Network::max_neuron_count) + " neurons";
        if (connections > Network::max_connection_count)
            return "the network would have more than " + std::to_string(Network::max_connection_count) +
                   " connections";
    }
    return "";
}

bool parameters_are_finite(const NeuronParameters& parameters)
{
    return std::isfinite(parameters.threshold) && std::isfinite(parameters.slope_parameter) &&
           std::isfinite(parameters.learning_rate) && std::isfinite(parameters.max_weight);
}

}  // namespace

double Network::starting_weight_limit(int fan_in, int fan_out, double slope_parameter)
{
    // 2 / s^2 is 8 at the default slope of 0.5: Glorot's factor of 4 for the logistic
    // function, times 2 for the gradient that slope halves.
    constexpr double slope_square_factor = 2.0;
    if (slope_parameter == 0.0)
        return std::numeric_limits<double>::infinity();
    return slope_square_factor / (slope_parameter * slope_parameter) * std::sqrt(6.0 / (fan_in + fan_out));
}

Network Network::from_layers(const std::vector<int>& sizes, unsigned seed, Diagnostics* diagnostics)
{
    return from_layers(sizes, seed, NeuronParameters{}, diagnostics);
}

Network Network::from_layers(const std::vector<int>& sizes, unsigned seed, const NeuronParameters& parameters,
                             Diagnostics* diagnostics)
{
    Network network;
    std::string refusal = layer_sizes_refusal(sizes);
    if (refusal.empty() && !parameters_are_finite(parameters))
        refusal = "the neurons' parameters must be finite numbers";
    if (!refusal.empty()) {
        if (diagnostics != nullptr)
            diagnostics->add(0, refusal + "; the network is refused");
        return network;
    }
    try {
        network.add_drawn_layers(sizes, seed, parameters);
        network.make_fast_form();
    } catch (const std::bad_alloc&) {
        network.refuse_for_memory(0, diagnostics);
        return network;
    }
    if (diagnostics != nullptr)
        diagnostics->drawn_weights = network.connection_count();
    return network;
}

void Network::add_drawn_layers(const std::vector<int>& sizes, unsigned seed, const NeuronParameters& parameters)
{
    RandomSource random(seed);
    std::size_t total = 0;
    for (const int size : sizes)
        total += static_cast<std::size_t>(size);
    neurons.reserve(total);
    layer_sizes = sizes;
    for (int i = 0; i < sizes.front(); ++i)
        neurons.emplace_back(neurons, false);
    int first_previous = 0;
    for (std::size_t layer = 1; layer < sizes.size(); ++layer) {
        const int fan_in = sizes[layer - 1];
        // Small layers and flat slopes would start beyond the weights that training keeps.
        const double limit = std::min(starting_weight_limit(fan_in, sizes[layer], parameters.slope_parameter),
                                      std::fabs(parameters.max_weight));
        for (int i = 0; i < sizes[layer]; ++i) {
            neurons.emplace_back(neurons, true);
            Neuron& neuron = neurons.back();
            neuron.connections.reserve(static_cast<std::size_t>(fan_in));
            for (int source = first_previous; source < first_previous + fan_in; ++source) {
                const int r = random.next();
                neuron.add_connection(source, limit * (1.0 - 2.0 * r / RandomSource::max_value));
            }
        }
        first_previous += fan_in;
    }
    for (Neuron& neuron : neurons) {
        neuron.threshold = parameters.threshold;
        neuron.slope_parameter = parameters.slope_parameter;
        neuron.learning_rate = parameters.learning_rate;
        neuron.max_weight = parameters.max_weight;
    }
}
