// The fast form's layout: which networks take it, the blocks and padding of each layer's
// weights, and the calls that keep the neurons in step with it.
#include "engine/fast_form.h"

#include "engine/neuron.h"

#include <algorithm>

namespace {

constexpr std::size_t line_doubles = CacheLineAllocator<double>::alignment / sizeof(double);

int block_count(int layer_size, int width)
{
    return (layer_size + width - 1) / width;
}

// Wide blocks keep enough sums in flight to hide the latency of each addition, unless their
// padding would add weights to stream; narrow layers take narrow blocks.
int block_width(int layer_size)
{
    const int widest = FastForm::widest_block;
    if (layer_size > 16 && block_count(layer_size, widest) * widest == block_count(layer_size, 16) * 16)
        return widest;
    return layer_size > 8 ? 16 : layer_size > 4 ? 8 : FastForm::narrowest_block;
}

// True when every computing neuron holds one connection from each neuron of the layer before,
// in source order, and nothing else.
bool all_layers_dense(const std::vector<Neuron>& neurons, const std::vector<int>& layer_sizes)
{
    int first_previous = 0;
    for (std::size_t index = 1; index < layer_sizes.size(); ++index) {
        const int previous = layer_sizes[index - 1];
        const int first = first_previous + previous;
        for (int position = first; position < first + layer_sizes[index]; ++position) {
            const std::vector<Connection>& connections = neurons[static_cast<std::size_t>(position)].connections;
            if (connections.size() != static_cast<std::size_t>(previous))
                return false;
            for (int j = 0; j < previous; ++j)
                if (connections[static_cast<std::size_t>(j)].source != first_previous + j)
                    return false;
        }
        first_previous = first;
    }
    return true;
}

}  // namespace

std::size_t FastForm::weight_index(const Layer& layer, int neuron, int source)
{
    const int b = neuron / layer.block;
    return layer.weights_offset + layer.block_start(b) + static_cast<std::size_t>(source) * layer.width(b) +
           static_cast<std::size_t>(neuron % layer.block);
}

void FastForm::build(const std::vector<Neuron>& neurons, const std::vector<int>& layer_sizes)
{
    *this = FastForm();
    if (layer_sizes.size() < 2 || !all_layers_dense(neurons, layer_sizes))
        return;

    std::size_t weight_total = 0;
    std::size_t lane_total = 0;
    std::size_t widest = 0;
    int first_previous = 0;
    for (std::size_t index = 1; index < layer_sizes.size(); ++index) {
        const int previous = layer_sizes[index - 1];
        const int size = layer_sizes[index];
        const int width = block_width(size);
        const int blocks = block_count(size, width);
        const int last_block = (size - (blocks - 1) * width + lanes - 1) / lanes * lanes;
        layers.push_back(Layer{first_previous + previous, size, first_previous, previous, width, blocks, last_block,
                               weight_total, lane_total});
        const std::size_t padded = static_cast<std::size_t>(blocks) * width;
        weight_total +=
            static_cast<std::size_t>((blocks - 1) * width + last_block) * static_cast<std::size_t>(previous);
        // Every layer's weights start on a cache line too.
        weight_total = (weight_total + line_doubles - 1) / line_doubles * line_doubles;
        lane_total += padded;
        widest = padded > widest ? padded : widest;
        first_previous += previous;
    }

    narrow_layers_only = std::all_of(layers.begin(), layers.end(),
                                     [](const Layer& layer) { return layer.block == narrowest_block; });
    // The blocks of a layer without sources hold no weights, yet the kernels still form
    // addresses of their parts; a block's width of room past the end keeps those in the array.
    weights.assign(weight_total + widest_block, 0.0);
    for (const Layer& layer : layers)
        for (int i = 0; i < layer.size; ++i)
            for (int j = 0; j < layer.previous_size; ++j)
                weights[weight_index(layer, i, j)] =
                    neurons[static_cast<std::size_t>(layer.first + i)].connections[static_cast<std::size_t>(j)].weight;
    outputs.resize(neurons.size());
    for (std::size_t i = 0; i < neurons.size(); ++i)
        outputs[i] = neurons[i].output;
    errors.assign(neurons.size(), 0.0);
    sums.assign(widest * group_rows, 0.0);
    group_values.assign(neurons.size() * group_rows, 0.0);
    thresholds.assign(lane_total, 0.0);
    slopes.assign(lane_total, 0.0);
    rates.assign(lane_total, 0.0);
    limits.assign(lane_total, 0.0);
    deltas.assign(lane_total, 0.0);
    rate_deltas.assign(lane_total, 0.0);
    active_form = true;
}

void FastForm::load_parameters(const std::vector<Neuron>& neurons)
{
    // Reloading on every call would also cost more than a small network's evaluation: the
    // kernels read four parameters at once from what was just stored one by one, and such a
    // load waits until the stores reach the cache.
    if (parameters_loaded)
        return;
    parameters_loaded = true;
    for (const Layer& layer : layers)
        for (int i = 0; i < layer.size; ++i) {
            const Neuron& neuron = neurons[static_cast<std::size_t>(layer.first + i)];
            const std::size_t lane = layer.lane_offset + static_cast<std::size_t>(i);
            thresholds[lane] = neuron.threshold;
            slopes[lane] = neuron.slope_parameter;
            rates[lane] = neuron.learning_rate;
            limits[lane] = neuron.max_weight;
        }
}

// Keeping the neurons in step: what this form computes reaches the neurons here, and in
// evaluate (fast_form_dispatch.cpp) through the same copy_outputs.

void FastForm::take_inputs(const std::vector<double>& values, std::vector<Neuron>& neurons)
{
    for (std::size_t i = 0; i < values.size(); ++i)
        neurons[i].output = outputs[i] = values[i];
}

void FastForm::keep_group_row(int row, std::vector<Neuron>& neurons)
{
    const double* values = group_values.data() + static_cast<std::size_t>(row) * outputs.size();
    for (std::size_t i = 0; i < outputs.size(); ++i)
        neurons[i].output = outputs[i] = values[i];
}

void FastForm::store_outputs(std::vector<Neuron>& neurons) const
{
    copy_outputs(0, neurons);
}

void FastForm::store_weights(std::vector<Neuron>& neurons) const
{
    for (const Layer& layer : layers)
        for (int i = 0; i < layer.size; ++i) {
            if (thresholds_learned)
                neurons[static_cast<std::size_t>(layer.first + i)].threshold =
                    thresholds[layer.lane_offset + static_cast<std::size_t>(i)];
            std::vector<Connection>& connections = neurons[static_cast<std::size_t>(layer.first + i)].connections;
            // A neuron's weights are its block's width apart.
            const double* weight = weights.data() + weight_index(layer, i, 0);
            const std::size_t width = static_cast<std::size_t>(layer.width(i / layer.block));
            for (int j = 0; j < layer.previous_size; ++j)
                connections[static_cast<std::size_t>(j)].weight = weight[static_cast<std::size_t>(j) * width];
        }
}
