// The fast form of dense networks. The kernels work on one block of neurons at a time with
// vectors of lanes, one lane per neuron, so each lane's sum is added in its own source order.
// On x86 they are compiled for AVX2 as well as for the baseline and chosen at run time;
// elsewhere the baseline alone is built.
#include "engine/dense_layers.h"

#include "engine/neuron.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <cstring>

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#define DENSE_X86_KERNELS 1
#else
#define DENSE_X86_KERNELS 0
#endif

#define DENSE_INLINE __attribute__((always_inline)) inline

namespace {

constexpr int lanes = 4;

// Four doubles, loadable from any 8-byte aligned address. Functions that pass them are always
// inlined: the AVX2 and baseline kernels would disagree on how to pass them across a call.
typedef double Lanes __attribute__((vector_size(lanes * sizeof(double)), aligned(sizeof(double))));

DENSE_INLINE Lanes load(const double* from)
{
    Lanes value;
    std::memcpy(&value, from, sizeof value);
    return value;
}

DENSE_INLINE void store(double* to, Lanes value)
{
    std::memcpy(to, &value, sizeof value);
}

DENSE_INLINE Lanes broadcast(double value)
{
    return Lanes{value, value, value, value};
}

// The weighted sums of one block of `vectors` * 4 neurons:
// sums[k] = ((0 + x[0] * w[0][k]) + x[1] * w[1][k]) + ...
template <int vectors>
DENSE_INLINE void block_sums(const double* inputs, int input_count, const double* block_weights, double* sums)
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
DENSE_INLINE void block_update(const double* source_outputs, double* source_errors, int source_count,
                               double* block_weights, const double* deltas, const double* rate_deltas,
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

// The update of a narrow layer, lane by lane in the same order as block_update: a vector
// kernel would load the deltas just stored one by one, and such a load waits until the
// stores reach the cache.
DENSE_INLINE void update_narrow(const double* source_outputs, double* source_errors, int source_count, double* layer_weights,
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

// The evaluation and backward pass, inlined into one entry point per kernel set so that each
// set's vector instructions reach every loop.
struct DenseLayers::Kernels {
    // The logistic output of a neuron from its weighted sum.
    static DENSE_INLINE double activate(Neuron& neuron, double sum)
    {
        const double net = sum - neuron.threshold;
        neuron.output = 1.0 / (1.0 + std::exp(-neuron.slope_parameter * net));
        return neuron.output;
    }

    static DENSE_INLINE void evaluate(DenseLayers& form, Neuron* neuron_data)
    {
        double* values = form.outputs.data();
        double* sums = form.scratch.data();
        for (const Layer& layer : form.layers) {
            const double* inputs = values + layer.previous_first;
            const double* layer_weights = form.weights.data() + layer.weights_offset;
            if (layer.block == narrowest_block) {
                // A narrow layer is one block, summed neuron by neuron: the round trip of the
                // sums through memory would cost more than the sums.
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
                if (layer.block == 8)
                    block_sums<2>(inputs, layer.previous_size, block_weights, sums);
                else
                    block_sums<4>(inputs, layer.previous_size, block_weights, sums);
                for (int k = 0; k < used; ++k)
                    values[first + k] = activate(neuron_data[first + k], sums[k]);
            }
        }
    }

    static DENSE_INLINE void back_propagate(DenseLayers& form, const Neuron* neuron_data)
    {
        const std::size_t part = form.scratch.size() / 3;
        double* deltas = form.scratch.data();
        double* rate_deltas = deltas + part;
        double* limits = rate_deltas + part;
        double* outputs = form.outputs.data();
        double* errors = form.errors.data();
        for (std::size_t index = form.layers.size(); index-- > 0;) {
            const Layer& layer = form.layers[index];
            const int padded = layer.blocks * layer.block;
            for (int i = 0; i < padded; ++i) {
                if (i >= layer.size) {
                    deltas[i] = rate_deltas[i] = limits[i] = 0.0;
                    continue;
                }
                const std::size_t position = static_cast<std::size_t>(layer.first + i);
                const Neuron& neuron = neuron_data[position];
                const double output = outputs[position];
                deltas[i] = ((errors[position] * neuron.slope_parameter) * output) * (1.0 - output);
                rate_deltas[i] = neuron.learning_rate * deltas[i];
                limits[i] = neuron.max_weight;
                errors[position] = 0.0;
            }
            // The input layer's errors would be discarded at once: they are not gathered.
            double* source_errors = index == 0 ? nullptr : errors + layer.previous_first;
            double* layer_weights = form.weights.data() + layer.weights_offset;
            const double* source_outputs = outputs + layer.previous_first;
            if (layer.block == narrowest_block) {
                update_narrow(source_outputs, source_errors, layer.previous_size, layer_weights, deltas, rate_deltas,
                              limits, layer.size);
                continue;
            }
            for (int b = layer.blocks; b-- > 0;) {
                double* block_weights = layer_weights + static_cast<std::size_t>(b) * layer.previous_size * layer.block;
                const int lane = b * layer.block;
                const int used = std::min(layer.block, layer.size - lane);
                if (layer.block == 8)
                    block_update<2>(source_outputs, source_errors, layer.previous_size, block_weights, deltas + lane,
                                    rate_deltas + lane, limits + lane, used);
                else
                    block_update<4>(source_outputs, source_errors, layer.previous_size, block_weights, deltas + lane,
                                    rate_deltas + lane, limits + lane, used);
            }
        }
    }

    // One kernel set: its name, whether this machine runs it, and its entry points.
    struct Set {
        const char* name;
        bool (*runnable)();
        void (*evaluate)(DenseLayers&, Neuron*);
        void (*back_propagate)(DenseLayers&, const Neuron*);
    };

#define DENSE_KERNEL_SET(space, attributes)                                                      \
    struct space {                                                                               \
        attributes static void evaluate(DenseLayers& form, Neuron* neurons)                      \
        {                                                                                        \
            Kernels::evaluate(form, neurons);                                                    \
        }                                                                                        \
        attributes static void back_propagate(DenseLayers& form, const Neuron* neurons)          \
        {                                                                                        \
            Kernels::back_propagate(form, neurons);                                              \
        }                                                                                        \
    };
    DENSE_KERNEL_SET(Baseline, )
#if DENSE_X86_KERNELS
    DENSE_KERNEL_SET(Avx2, __attribute__((target("avx2"))))
#endif
#undef DENSE_KERNEL_SET

    static bool always() { return true; }
#if DENSE_X86_KERNELS
    static bool has_avx2()
    {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx2");
    }
#endif

    // Slowest first; the last one this machine runs is the default.
    static constexpr Set sets[] = {
        {"baseline", always, Baseline::evaluate, Baseline::back_propagate},
#if DENSE_X86_KERNELS
        {"avx2", has_avx2, Avx2::evaluate, Avx2::back_propagate},
#endif
    };

    static const Set* find(const std::string& name)
    {
        for (const Set& set : sets)
            if (name == set.name && set.runnable())
                return &set;
        return nullptr;
    }

    static const Set* fastest()
    {
        const Set* best = &sets[0];
        for (const Set& set : sets)
            if (set.runnable())
                best = &set;
        return best;
    }

    static std::atomic<const Set*>& chosen()
    {
        static std::atomic<const Set*> set{initial()};
        return set;
    }

    static const Set* initial()
    {
        const char* wanted = std::getenv("NC_ENGINE_KERNELS");
        const Set* named = wanted != nullptr ? find(wanted) : nullptr;
        return named != nullptr ? named : fastest();
    }

    static const Set& current() { return *chosen().load(std::memory_order_relaxed); }
};

std::vector<std::string> DenseLayers::available_kernels()
{
    std::vector<std::string> names;
    for (const Kernels::Set& set : Kernels::sets)
        if (set.runnable())
            names.emplace_back(set.name);
    return names;
}

bool DenseLayers::select_kernels(const std::string& name)
{
    const Kernels::Set* set = Kernels::find(name);
    if (set == nullptr)
        return false;
    Kernels::chosen().store(set, std::memory_order_relaxed);
    return true;
}

std::string DenseLayers::selected_kernels()
{
    return Kernels::current().name;
}

void DenseLayers::evaluate(std::vector<Neuron>& neurons)
{
    Kernels::current().evaluate(*this, neurons.data());
}

void DenseLayers::back_propagate(const std::vector<Neuron>& neurons)
{
    Kernels::current().back_propagate(*this, neurons.data());
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
