// A network built from layer sizes, every neuron fully connected to the layer before, its
// starting weights drawn from a seed in a range set by each neuron's fan-in and fan-out.
#include "engine/network.h"

#include "engine/dense_layers.h"
#include "engine/diagnostics.h"
#include "engine/random_source.h"

#include <algorithm>
#include <cmath>
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

}  // namespace

double Network::starting_weight_limit(int fan_in, int fan_out)
{
    // Glorot's range for the logistic function, 4 * sqrt(6 / (fan_in + fan_out)), times 2
    // for the neurons' default slope parameter of 0.5, which halves the logistic's gradient.
    constexpr double glorot_logistic_factor = 4.0;
    constexpr double slope_factor = 2.0;
    return glorot_logistic_factor * slope_factor * std::sqrt(6.0 / (fan_in + fan_out));
}

Network Network::from_layers(const std::vector<int>& sizes, unsigned seed, Diagnostics* diagnostics)
{
    Network network;
    const std::string refusal = layer_sizes_refusal(sizes);
    if (!refusal.empty()) {
        if (diagnostics != nullptr)
            diagnostics->add(0, refusal + "; the network is refused");
        return network;
    }
    try {
        network.add_drawn_layers(sizes, seed);
        network.make_fast_form();
    } catch (const std::bad_alloc&) {
        network.refuse_for_memory(0, diagnostics);
        return network;
    }
    if (diagnostics != nullptr)
        diagnostics->drawn_weights = network.connection_count();
    return network;
}

void Network::add_drawn_layers(const std::vector<int>& sizes, unsigned seed)
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
        const double rule_limit = starting_weight_limit(fan_in, sizes[layer]);
        for (int i = 0; i < sizes[layer]; ++i) {
            neurons.emplace_back(neurons, true);
            Neuron& neuron = neurons.back();
            // Small layers would start beyond the weights that training keeps.
            const double limit = std::min(rule_limit, neuron.max_weight);
            neuron.connections.reserve(static_cast<std::size_t>(fan_in));
            for (int source = first_previous; source < first_previous + fan_in; ++source) {
                const int r = random.next();
                neuron.add_connection(source, limit * (1.0 - 2.0 * r / RandomSource::max_value));
            }
        }
        first_previous += fan_in;
    }
}
