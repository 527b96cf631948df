// The fast form of dense networks. The kernels work on one block of neurons at a time with
// vectors of lanes, one lane per neuron, so each lane's sum is added in its own source order;
// they are compiled for AVX2 and for the baseline, chosen when the program starts.
#include "engine/dense_layers.h"

#include "engine/neuron.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr int lanes = 4;

// Four doubles, loadable from any 8-byte aligned address. Functions that pass them are always
// inlined: the AVX2 and baseline kernels would disagree on how to pass them across a call.
typedef double Lanes __attribute__((vector_size(lanes * sizeof(double)), aligned(sizeof(double))));

__attribute__((always_inline)) inline Lanes load(const double* from)
{
    Lanes value;
    std::memcpy(&value, from, sizeof value);
    return value;
}

__attribute__((always_inline)) inline void store(double* to, Lanes value)
{
    std::memcpy(to, &value, sizeof value);
}

__attribute__((always_inline)) inline Lanes broadcast(double value)
{
    return Lanes{value, value, value, value};
}

// The weighted sums of one block of `vectors` * 4 neurons:
// sums[k] = ((0 + x[0] * w[0][k]) + x[1] * w[1][k]) + ...
template <int vectors>
__attribute__((always_inline)) inline void block_sums(const double* inputs, int input_count,
                                                      const double* block_weights, double* sums)
{
    Lanes accumulators[vectors] = {};
    for (int j = 0; j < input_count; ++j) {
        const Lanes input = broadcast(inputs[j]);
        const double* row = block_weights + static_cast<std::size_t>(j) * vectors * lanes;
        for (int v = 0; v < vectors; ++v)
            accumulators[v] = accumulators[v] + input * load(row + v * lanes);
    }
    for (int v = 0; v < vectors; ++v)
        store(sums + v * lanes, accumulators[v]);
}

// Updates one block's weights from the source outputs: w += (learning_rate * delta) * output,
// then clamped to max_weight and to -max_weight, in that order. With `source_errors`, first
// adds delta * old weight to each source's error, lane after lane from the block's last
// neuron down to its first, as the backward pass in reverse neuron order does.
template <int vectors>
__attribute__((always_inline)) inline void block_update(const double* source_outputs, double* source_errors,
                                                        int source_count, double* block_weights,
                                                        const double* deltas, const double* rate_deltas,
                                                        const double* limits, int used_lanes)
{
    Lanes delta[vectors];
    Lanes rate_delta[vectors];
    Lanes limit[vectors];
    for (int v = 0; v < vectors; ++v) {
        delta[v] = load(deltas + v * lanes);
        rate_delta[v] = load(rate_deltas + v * lanes);
        limit[v] = load(limits + v * lanes);
    }
    for (int j = 0; j < source_count; ++j) {
        double* row = block_weights + static_cast<std::size_t>(j) * vectors * lanes;
        if (source_errors != nullptr) {
            double products[vectors * lanes];
            for (int v = 0; v < vectors; ++v)
                store(products + v * lanes, delta[v] * load(row + v * lanes));
            double error = source_errors[j];
            for (int k = used_lanes - 1; k >= 0; --k)
                error += products[k];
            source_errors[j] = error;
        }
        const Lanes output = broadcast(source_outputs[j]);
        for (int v = 0; v < vectors; ++v) {
            Lanes w = load(row + v * lanes) + rate_delta[v] * output;
            w = w > limit[v] ? limit[v] : w;
            w = w < -limit[v] ? -limit[v] : w;
            store(row + v * lanes, w);
        }
    }
}

// One entry per block width, each compiled for AVX2 and for the baseline. Blocks of one vector
// are summed inline by the caller.
#define DENSE_SUMS(vectors)                                                                                      \
    __attribute__((target_clones("avx2", "default"))) void block_sums_##vectors(                                \
        const double* inputs, int input_count, const double* block_weights, double* sums)                       \
    {                                                                                                            \
        block_sums<vectors>(inputs, input_count, block_weights, sums);                                          \
    }
#define DENSE_UPDATE(vectors)                                                                                    \
    __attribute__((target_clones("avx2", "default"))) void block_update_##vectors(                              \
        const double* source_outputs, double* source_errors, int source_count, double* block_weights,           \
        const double* deltas, const double* rate_deltas, const double* limits, int used_lanes)                  \
    {                                                                                                            \
        block_update<vectors>(source_outputs, source_errors, source_count, block_weights, deltas, rate_deltas, \
                              limits, used_lanes);                                                               \
    }
DENSE_SUMS(2)
DENSE_SUMS(4)
DENSE_UPDATE(2)
DENSE_UPDATE(4)
#undef DENSE_SUMS
#undef DENSE_UPDATE

constexpr int narrowest_block = 4;

// Wide blocks keep the most sums in flight; narrow layers take narrow blocks.
int block_width(int layer_size)
{
    return layer_size > 8 ? 16 : layer_size > 4 ? 8 : narrowest_block;
}

int block_count(int layer_size, int width)
{
    return (layer_size + width - 1) / width;
}

void sums_of_block(int width, const double* inputs, int input_count, const double* block_weights, double* sums)
{
    if (width == 8)
        block_sums_2(inputs, input_count, block_weights, sums);
    else
        block_sums_4(inputs, input_count, block_weights, sums);
}

void update_block(int width, const double* source_outputs, double* source_errors, int source_count,
                  double* block_weights, const double* deltas, const double* rate_deltas, const double* limits,
                  int used_lanes)
{
    if (width == 8)
        block_update_2(source_outputs, source_errors, source_count, block_weights, deltas, rate_deltas, limits,
                       used_lanes);
    else
        block_update_4(source_outputs, source_errors, source_count, block_weights, deltas, rate_deltas, limits,
                       used_lanes);
}

// The update of a narrow layer, lane by lane in the same order as block_update: a vector
// kernel would load the deltas just stored one by one, and such a load waits until the
// stores reach the cache.
void update_narrow(const double* source_outputs, double* source_errors, int source_count, double* layer_weights,
                   const double* deltas, const double* rate_deltas, const double* limits, int used_lanes)
{
    for (int j = 0; j < source_count; ++j) {
        double* row = layer_weights + j * narrowest_block;
        if (source_errors != nullptr) {
            double error = source_errors[j];
            for (int k = used_lanes - 1; k >= 0; --k)
                error += deltas[k] * row[k];
            source_errors[j] = error;
        }
        const double output = source_outputs[j];
        for (int k = 0; k < used_lanes; ++k) {
            double w = row[k] + rate_deltas[k] * output;
            w = w > limits[k] ? limits[k] : w;
            w = w < -limits[k] ? -limits[k] : w;
            row[k] = w;
        }
    }
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

std::size_t DenseLayers::weight_index(const Layer& layer, int neuron, int source)
{
    const std::size_t block_start = static_cast<std::size_t>(neuron / layer.block) * layer.previous_size * layer.block;
    return layer.weights_offset + block_start + static_cast<std::size_t>(source) * layer.block +
           static_cast<std::size_t>(neuron % layer.block);
}

void DenseLayers::build(const std::vector<Neuron>& neurons, const std::vector<int>& layer_sizes)
{
    *this = DenseLayers();
    if (layer_sizes.size() < 2 || !all_layers_dense(neurons, layer_sizes))
        return;

    std::size_t weight_total = 0;
    std::size_t widest = 0;
    int first_previous = 0;
    for (std::size_t index = 1; index < layer_sizes.size(); ++index) {
        const int previous = layer_sizes[index - 1];
        const int size = layer_sizes[index];
        const int width = block_width(size);
        const int blocks = block_count(size, width);
        layers.push_back(Layer{first_previous + previous, size, first_previous, previous, width, blocks, weight_total});
        const std::size_t padded = static_cast<std::size_t>(blocks) * width;
        weight_total += padded * static_cast<std::size_t>(previous);
        widest = padded > widest ? padded : widest;
        first_previous += previous;
    }

    weights.assign(weight_total, 0.0);
    for (const Layer& layer : layers)
        for (int i = 0; i < layer.size; ++i)
            for (int j = 0; j < layer.previous_size; ++j)
                weights[weight_index(layer, i, j)] =
                    neurons[static_cast<std::size_t>(layer.first + i)].connections[static_cast<std::size_t>(j)].weight;
    outputs.resize(neurons.size());
    for (std::size_t i = 0; i < neurons.size(); ++i)
        outputs[i] = neurons[i].output;
    errors.assign(neurons.size(), 0.0);
    scratch.assign(widest * 3, 0.0);
    active_form = true;
}

namespace {

// The logistic output of a neuron from its weighted sum.
inline double activate(Neuron& neuron, double sum)
{
    const double net = sum - neuron.threshold;
    neuron.output = 1.0 / (1.0 + std::exp(-neuron.slope_parameter * net));
    return neuron.output;
}

}  // namespace

void DenseLayers::evaluate(std::vector<Neuron>& neurons)
{
    double* values = outputs.data();
    Neuron* neuron_data = neurons.data();
    double* sums = scratch.data();
    for (const Layer& layer : layers) {
        const double* inputs = values + layer.previous_first;
        const double* layer_weights = weights.data() + layer.weights_offset;
        if (layer.block == narrowest_block) {
            // A narrow layer is one block, summed neuron by neuron: the kernels' call and the
            // round trip of the sums through memory would cost more than the sums.
            for (int k = 0; k < layer.size; ++k) {
                // Starting from the first product shortens the chain; a sum of zeros that
                // takes the sign of -0.0 this way gives the same output.
                double sum = layer.previous_size > 0 ? inputs[0] * layer_weights[k] : 0.0;
                for (int j = 1; j < layer.previous_size; ++j)
                    sum += inputs[j] * layer_weights[j * narrowest_block + k];
                values[layer.first + k] = activate(neuron_data[layer.first + k], sum);
            }
            continue;
        }
        for (int b = 0; b < layer.blocks; ++b) {
            const double* block_weights =
                layer_weights + static_cast<std::size_t>(b) * layer.previous_size * layer.block;
            const int first = layer.first + b * layer.block;
            const int used = std::min(layer.block, layer.size - b * layer.block);
            sums_of_block(layer.block, inputs, layer.previous_size, block_weights, sums);
            for (int k = 0; k < used; ++k)
                values[first + k] = activate(neuron_data[first + k], sums[k]);
        }
    }
}

void DenseLayers::back_propagate(const std::vector<Neuron>& neurons)
{
    const std::size_t part = scratch.size() / 3;
    double* deltas = scratch.data();
    double* rate_deltas = deltas + part;
    double* limits = rate_deltas + part;
    for (std::size_t index = layers.size(); index-- > 0;) {
        const Layer& layer = layers[index];
        const int padded = layer.blocks * layer.block;
        for (int i = 0; i < padded; ++i) {
            if (i >= layer.size) {
                deltas[i] = rate_deltas[i] = limits[i] = 0.0;
                continue;
            }
            const std::size_t position = static_cast<std::size_t>(layer.first + i);
            const Neuron& neuron = neurons[position];
            const double output = outputs[position];
            deltas[i] = ((errors[position] * neuron.slope_parameter) * output) * (1.0 - output);
            rate_deltas[i] = neuron.learning_rate * deltas[i];
            limits[i] = neuron.max_weight;
            errors[position] = 0.0;
        }
        // The input layer's errors would be discarded at once: they are not gathered.
        double* source_errors = index == 0 ? nullptr : errors.data() + layer.previous_first;
        if (layer.block == narrowest_block) {
            update_narrow(outputs.data() + layer.previous_first, source_errors, layer.previous_size,
                          weights.data() + layer.weights_offset, deltas, rate_deltas, limits, layer.size);
            continue;
        }
        for (int b = layer.blocks; b-- > 0;) {
            const std::size_t block_start = static_cast<std::size_t>(b) * layer.previous_size * layer.block;
            const int lane = b * layer.block;
            update_block(layer.block, outputs.data() + layer.previous_first, source_errors, layer.previous_size,
                         weights.data() + layer.weights_offset + block_start, deltas + lane, rate_deltas + lane,
                         limits + lane, std::min(layer.block, layer.size - lane));
        }
    }
}

void DenseLayers::store_weights(std::vector<Neuron>& neurons) const
{
    for (const Layer& layer : layers)
        for (int i = 0; i < layer.size; ++i) {
            std::vector<Connection>& connections = neurons[static_cast<std::size_t>(layer.first + i)].connections;
            for (int j = 0; j < layer.previous_size; ++j)
                connections[static_cast<std::size_t>(j)].weight = weights[weight_index(layer, i, j)];
        }
}
