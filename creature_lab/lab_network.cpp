// Reading, flattening and writing the lab's networks.
#include "creature_lab/lab_network.h"

#include "engine/diagnostics.h"
#include "tool_support/number_text.h"

#include <algorithm>
#include <new>

bool load_creature_network(const std::string& path, unsigned seed, Network& network,
                           FileProblems& problems)
{
    Diagnostics notes;
    network = Network(nullptr);
    network.read_network_section(path.c_str(), &notes);
    try {
        network.fill_random_weights(seed);
    } catch (const std::bad_alloc&) {
        // The reader bounds the connections, yet their completion may still not fit.
        network = Network(nullptr);
        notes.add(0, "the network does not fit in memory; the network is refused");
    }
    add_reader_problems(problems, path, notes);
    if (network.input_count() == 3 && network.output_count() == 4)
        return true;
    // A network the reader refused is empty, and the reader's notes already say why.
    const bool refused = network.layer_count() == 0 && !notes.entries.empty();
    if (!refused)
        problems.add(path, 0,
                     "the network has " + counted(static_cast<std::size_t>(network.input_count()), "input") +
                         " and " + counted(static_cast<std::size_t>(network.output_count()), "output") +
                         "; a creature needs 3 inputs and 4 outputs");
    return false;
}

std::size_t NetworkShape::weight_count() const
{
    std::size_t count = 0;
    for (std::size_t layer = 1; layer < layer_sizes.size(); ++layer)
        count += static_cast<std::size_t>(layer_sizes[layer - 1]) * static_cast<std::size_t>(layer_sizes[layer]);
    return count;
}

NetworkShape creature_shape(int hidden)
{
    NetworkShape shape;
    shape.layer_sizes = hidden > 0 ? std::vector<int>{3, hidden, 4} : std::vector<int>{3, 4};
    return shape;
}

NetworkShape shape_of(const Network& network)
{
    NetworkShape shape;
    for (int layer = 0; layer < network.layer_count(); ++layer)
        shape.layer_sizes.push_back(network.layer_size(layer));
    shape.threshold = network.threshold();
    shape.slope_parameter = network.slope_parameter();
    shape.max_weight = network.max_weight();
    return shape;
}

std::vector<double> weights_of(const Network& network)
{
    std::vector<double> weights;
    for (int position = 0; position < network.neuron_count(); ++position) {
        for (const Connection& connection : network.neuron(position).connections)
            weights.push_back(connection.weight);
    }
    return weights;
}

namespace {

// As the engine's writer gives them: 17 decimals, a full stop whatever the locale.
constexpr int weight_digits = 17;

}  // namespace

std::string network_text(const NetworkShape& shape, const std::vector<double>& weights,
                         const std::string& comment)
{
    std::string text = comment;
    if (!text.empty() && text.back() != '\n')
        text += '\n';
    if (!text.empty())
        text += '\n';
    text += "input_layer: " + std::to_string(shape.layer_sizes.empty() ? 0 : shape.layer_sizes[0]) + "\n";
    std::size_t next = 0;
    for (std::size_t layer = 1; layer < shape.layer_sizes.size(); ++layer) {
        text += "\ncomp_layer: " + std::to_string(shape.layer_sizes[layer]) + "\n";
        for (int neuron = 0; neuron < shape.layer_sizes[layer]; ++neuron) {
            text += "  weights:";
            for (int source = 0; source < shape.layer_sizes[layer - 1] && next < weights.size(); ++source)
                text += ' ' + fixed_text(weights[next++], weight_digits);
            text += '\n';
        }
    }
    text += "\ntreshold: " + fixed_text(shape.threshold, weight_digits);
    text += "\nslope_parameter: " + fixed_text(shape.slope_parameter, weight_digits);
    text += "\nmax_weight: " + fixed_text(shape.max_weight, weight_digits) + '\n';
    return text;
}

Network network_from_text(const std::string& text)
{
    return Network::from_text(text);
}
