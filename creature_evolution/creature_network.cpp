// Reading, flattening and building creatures' networks; the engine's writer writes them.
#include "creature_evolution/creature_network.h"

#include "engine/diagnostics.h"
#include "engine/format_keys.h"
#include "tool_support/number_text.h"

#include <algorithm>
#include <new>
#include <sstream>

bool load_creature_network(const std::string& path, unsigned seed, Network& network,
                           FileProblems& problems)
{
    Diagnostics notes;
    network = Network::from_file(path.c_str(), seed, &notes);
    if (notes.has(DiagnosticKind::OutOfMemory))
        throw std::bad_alloc();
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

Network network_of(const NetworkShape& shape, const std::vector<double>& weights)
{
    // The layers as a file gives them; the reader completes the weights, which are then replaced.
    std::string layers;
    for (std::size_t layer = 0; layer < shape.layer_sizes.size(); ++layer)
        layers += record_start(layer == 0 ? FormatKey::InputLayer : FormatKey::CompLayer) +
                  std::to_string(shape.layer_sizes[layer]) + "\n";
    Diagnostics notes;
    Network network = Network::from_text(layers, &notes);
    // A network that ran short of memory is empty, and its text would replace a creature's file.
    if (notes.has(DiagnosticKind::OutOfMemory))
        throw std::bad_alloc();
    network.set_threshold_all(shape.threshold);
    network.set_slope_parameter_all(shape.slope_parameter);
    network.set_max_weight_all(shape.max_weight);
    // The weights are the shape's, so only memory can refuse them.
    if (!network.set_weights(weights))
        throw std::bad_alloc();
    return network;
}

std::string network_text(const NetworkShape& shape, const std::vector<double>& weights,
                         const std::string& comment)
{
    std::string text = comment;
    if (!text.empty() && text.back() != '\n')
        text += '\n';
    if (!text.empty())
        text += '\n';
    std::ostringstream records;
    if (!network_of(shape, weights).write_network(records))
        throw std::bad_alloc();
    return text + records.str();
}

Network network_from_text(const std::string& text)
{
    Diagnostics notes;
    Network network = Network::from_text(text, &notes);
    if (notes.has(DiagnosticKind::OutOfMemory))
        throw std::bad_alloc();
    return network;
}
