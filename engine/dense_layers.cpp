// The fast form of dense networks. The kernels work on one block of neurons at a time with
// vectors of lanes, one lane per neuron, so each lane's sum is added in its own source order.
// On x86 they are compiled for AVX-512 (with its 32 vector registers) and AVX2 as well as for
// the baseline and chosen at run time; elsewhere the baseline alone is built. A layer of at
// most four neurons is one vector, whose values and errors pass to a neighbouring layer of
// that size in registers.
//   Lanes and the block sums and updates they make  - the vector helpers every kernel inlines
//   DenseLayers::build                              - blocks, padding and the arrays' layout
//   DenseLayers::Kernels                            - evaluation, groups and training per kernel
//                                                     set, and the run-time choice among them
//   the public calls                                - forwarding to the chosen kernel set
#include "engine/dense_layers.h"

#include "engine/logistic.h"
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

// The weighted sums of `vectors` * 4 neurons for `rows` rows at once; row r reads its inputs
// at inputs + r * input_stride and leaves its sums at sums + r * sums_stride:
// sums[k] = ((0 + x[0] * w[0][k]) + x[1] * w[1][k]) + ...
// Each source's weights for the neurons start `weight_stride` doubles after the previous
// source's, so one call may take part of a wider block.
template <int vectors, int rows>
DENSE_INLINE void block_sums(const double* inputs, std::size_t input_stride, int input_count,
                             const double* block_weights, int weight_stride, double* sums, int sums_stride)
{
    Lanes accumulators[rows][vectors] = {};
    for (int j = 0; j < input_count; ++j) {
        const double* row = block_weights + static_cast<std::size_t>(j) * weight_stride;
        for (int r = 0; r < rows; ++r) {
            const Lanes input = broadcast(inputs[r * input_stride + j]);
            for (int v = 0; v < vectors; ++v)
                accumulators[r][v] = accumulators[r][v] + input * load(row + v * lanes);
        }
    }
    for (int r = 0; r < rows; ++r)
        for (int v = 0; v < vectors; ++v)
            store(sums + r * sums_stride + v * lanes, accumulators[r][v]);
}

// Lane k of rows[0..3] into columns[k], for k = 0..3.
DENSE_INLINE void transpose(const Lanes* rows, Lanes* columns)
{
    const Lanes even_01 = __builtin_shufflevector(rows[0], rows[1], 0, 4, 2, 6);
    const Lanes odd_01 = __builtin_shufflevector(rows[0], rows[1], 1, 5, 3, 7);
    const Lanes even_23 = __builtin_shufflevector(rows[2], rows[3], 0, 4, 2, 6);
    const Lanes odd_23 = __builtin_shufflevector(rows[2], rows[3], 1, 5, 3, 7);
    columns[0] = __builtin_shufflevector(even_01, even_23, 0, 1, 4, 5);
    columns[1] = __builtin_shufflevector(odd_01, odd_23, 0, 1, 4, 5);
    columns[2] = __builtin_shufflevector(even_01, even_23, 2, 3, 6, 7);
    columns[3] = __builtin_shufflevector(odd_01, odd_23, 2, 3, 6, 7);
}

// Two doubles: the widest vector the baseline's instruction sets have.
typedef double Pair __attribute__((vector_size(2 * sizeof(double))));

template <typename Vector>
DENSE_INLINE Vector clamp(Vector w, Vector limit)
{
    w = w > limit ? limit : w;
    return w < -limit ? -limit : w;
}

#if defined(__wasm_simd128__)
// WebAssembly's pmin and pmax are these two selections exactly, one instruction each.
template <>
DENSE_INLINE Pair clamp(Pair w, Pair limit)
{
    return __builtin_wasm_pmax_f64x2(__builtin_wasm_pmin_f64x2(w, limit), -limit);
}

#endif

// w clamped to limit and to -limit, in that order. Where the vectors of four lanes are pairs of
// narrower registers (`in_pairs`), a compiler would compare them lane by lane; it compares
// each pair whole.
template <bool in_pairs>
DENSE_INLINE Lanes clamp_lanes(Lanes w, Lanes limit)
{
    if constexpr (in_pairs) {
        const Pair low = clamp(Pair{w[0], w[1]}, Pair{limit[0], limit[1]});
        const Pair high = clamp(Pair{w[2], w[3]}, Pair{limit[2], limit[3]});
        return Lanes{low[0], low[1], high[0], high[1]};
    } else {
        return clamp(w, limit);
    }
}

// threshold -= learning_rate * delta for the neurons of one layer, then clamped as a weight is:
// the learned threshold is a weight from a source whose output is always -1.
DENSE_INLINE void learn_layer_thresholds(double* thresholds, const double* rate_deltas, const double* limits, int count)
{
    for (int i = 0; i < count; ++i) {
        double threshold = thresholds[i] - rate_deltas[i];
        if (threshold > limits[i])
            threshold = limits[i];
        if (threshold < -limits[i])
            threshold = -limits[i];
        thresholds[i] = threshold;
    }
}

// w += (learning_rate * delta) * output for `vectors` * 4 weights of one source, then clamped
// to max_weight and to -max_weight, in that order.
template <int vectors, bool in_pairs>
DENSE_INLINE void update_source(double* row, double output, const Lanes* rate_delta, const Lanes* limit)
{
    const Lanes source_output = broadcast(output);
    for (int v = 0; v < vectors; ++v)
        store(row + v * lanes, clamp_lanes<in_pairs>(load(row + v * lanes) + rate_delta[v] * source_output, limit[v]));
}

// Adds delta * old weight to the errors of `groups` * 4 sources, lane after lane from the last
// used neuron down to the first: with four sources' products transposed, lane k of all four
// is one vector, and each vector addition advances four errors, each still in its own order.
// The groups' chains of additions are independent and overlap.
template <int vectors, int groups>
DENSE_INLINE void gather_errors(const double* rows, int weight_stride, const Lanes* delta, double* source_errors,
                                int used_lanes)
{
    Lanes errors[groups];
    for (int g = 0; g < groups; ++g)
        errors[g] = load(source_errors + g * lanes);
    for (int v = vectors - 1; v >= 0; --v)
        for (int g = 0; g < groups; ++g) {
            Lanes products[lanes];
            for (int s = 0; s < lanes; ++s)
                products[s] = delta[v] * load(rows + (g * lanes + s) * weight_stride + v * lanes);
            Lanes columns[lanes];
            transpose(products, columns);
            for (int k = lanes - 1; k >= 0; --k)
                if (v * lanes + k < used_lanes)
                    errors[g] = errors[g] + columns[k];
        }
    for (int g = 0; g < groups; ++g)
        store(source_errors + g * lanes, errors[g]);
}

// Updates the weights of `vectors` * 4 neurons from the source outputs. With `source_errors`,
// first adds delta * old weight to each source's error, lane after lane from the last used
// neuron down to the first, as the backward pass in reverse neuron order does. Sources are
// `weight_stride` doubles apart, as in block_sums.
template <int vectors, bool in_pairs>
DENSE_INLINE void block_update(const double* source_outputs, double* source_errors, int source_count,
                               double* block_weights, int weight_stride, const double* deltas,
                               const double* rate_deltas, const double* limits, int used_lanes)
{
    Lanes delta[vectors];
    Lanes rate_delta[vectors];
    Lanes limit[vectors];
    for (int v = 0; v < vectors; ++v) {
        delta[v] = load(deltas + v * lanes);
        rate_delta[v] = load(rate_deltas + v * lanes);
        limit[v] = load(limits + v * lanes);
    }
    int j = 0;
    if (source_errors == nullptr && vectors == 1) {
        // Two sources a step: one source's four lanes would not cover the loop's own work.
        for (; j + 2 <= source_count; j += 2) {
            double* row = block_weights + static_cast<std::size_t>(j) * weight_stride;
            update_source<vectors, in_pairs>(row, source_outputs[j], rate_delta, limit);
            update_source<vectors, in_pairs>(row + weight_stride, source_outputs[j + 1], rate_delta, limit);
        }
    }
    if (source_errors != nullptr) {
        // Where a vector of four lanes is two registers, a second group's products and errors
        // would not stay in the registers.
        constexpr int groups = in_pairs ? 1 : 2;
        for (; j + groups * lanes <= source_count; j += groups * lanes) {
            double* rows = block_weights + static_cast<std::size_t>(j) * weight_stride;
            gather_errors<vectors, groups>(rows, weight_stride, delta, source_errors + j, used_lanes);
            for (int s = 0; s < groups * lanes; ++s)
                update_source<vectors, in_pairs>(rows + s * weight_stride, source_outputs[j + s], rate_delta, limit);
        }
        for (; j + lanes <= source_count; j += lanes) {
            double* rows = block_weights + static_cast<std::size_t>(j) * weight_stride;
            gather_errors<vectors, 1>(rows, weight_stride, delta, source_errors + j, used_lanes);
            for (int s = 0; s < lanes; ++s)
                update_source<vectors, in_pairs>(rows + s * weight_stride, source_outputs[j + s], rate_delta, limit);
        }
    }
    for (; j < source_count; ++j) {
        double* row = block_weights + static_cast<std::size_t>(j) * weight_stride;
        if (source_errors != nullptr) {
            double products[vectors * lanes];
            for (int v = 0; v < vectors; ++v)
                store(products + v * lanes, delta[v] * load(row + v * lanes));
            double error = source_errors[j];
            for (int k = used_lanes - 1; k >= 0; --k)
                error += products[k];
            source_errors[j] = error;
        }
        update_source<vectors, in_pairs>(row, source_outputs[j], rate_delta, limit);
    }
}

constexpr int narrowest_block = 4;
constexpr int half_block = 16;  // the widest part one call of the update kernel takes
constexpr int widest_block = 32;

// The sums of `parts` parts of up to sixteen neurons for one row, as block_sums gives each,
// side by side in one pass over the inputs: part p's weights start at part_weights[p], each
// source's `strides[p]` doubles after the previous source's; the last part has
// `last_vectors` vectors of neurons, the others four. Part p's sums go to sums + p * 16.
template <int parts, int last_vectors>
DENSE_INLINE void part_sums(const double* inputs, int input_count, const double* const* part_weights,
                            const int* strides, double* sums)
{
    constexpr int vectors = half_block / lanes;
    Lanes accumulators[parts][vectors] = {};
    const double* at[parts];
    for (int p = 0; p < parts; ++p)
        at[p] = part_weights[p];
    for (int j = 0; j < input_count; ++j) {
        // Stepping on before each source but the first keeps the pointers inside the weights.
        if (j > 0)
            for (int p = 0; p < parts; ++p)
                at[p] += strides[p];
        const Lanes input = broadcast(inputs[j]);
        for (int p = 0; p < parts; ++p)
            for (int v = 0; v < (p + 1 == parts ? last_vectors : vectors); ++v)
                accumulators[p][v] = accumulators[p][v] + input * load(at[p] + v * lanes);
    }
    for (int p = 0; p < parts; ++p)
        for (int v = 0; v < (p + 1 == parts ? last_vectors : vectors); ++v)
            store(sums + p * half_block + v * lanes, accumulators[p][v]);
}

constexpr std::size_t line_doubles = CacheLineAllocator<double>::alignment / sizeof(double);

int block_count(int layer_size, int width)
{
    return (layer_size + width - 1) / width;
}

// Wide blocks keep enough sums in flight to hide the latency of each addition, unless their
// padding would add weights to stream; narrow layers take narrow blocks.
int block_width(int layer_size)
{
    if (layer_size > 16 && block_count(layer_size, widest_block) * widest_block == block_count(layer_size, 16) * 16)
        return widest_block;
    return layer_size > 8 ? 16 : layer_size > 4 ? 8 : narrowest_block;
}

// The update of a narrow layer, lane by lane in the same order as block_update: where a
// vector is two halves, as in the native baseline kernels, this is quicker than the vector
// form below.
DENSE_INLINE void update_narrow(const double* source_outputs, double* source_errors, int source_count,
                               double* layer_weights, const double* deltas, const double* rate_deltas,
                               const double* limits, int used_lanes)
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
        for (int k = 0; k < used_lanes; ++k)
            row[k] = clamp(row[k] + rate_deltas[k] * output, limits[k]);
    }
}

// The first `count` (1 to 4) values at `from` in lanes, the other lanes 0. Value by value, so
// that values just stored one by one are read without waiting for them to reach the cache.
DENSE_INLINE Lanes load_part(const double* from, int count)
{
    return Lanes{from[0], count > 1 ? from[1] : 0.0, count > 2 ? from[2] : 0.0, count > 3 ? from[3] : 0.0};
}

// One source of a narrow layer, as block_update does it for one source: with `gather`, adds
// delta * old weight of each used lane to `error`, from the last used lane down to the first;
// then updates the source's weights. Returns the error.
template <bool gather, bool in_pairs>
DENSE_INLINE double update_narrow_source(double* row, Lanes delta, Lanes rate_delta, Lanes limit, double output,
                                         double error, int used_lanes)
{
    Lanes w = load(row);
    if (gather) {
        const Lanes products = delta * w;
        if (used_lanes > 3)
            error += products[3];
        if (used_lanes > 2)
            error += products[2];
        if (used_lanes > 1)
            error += products[1];
        error += products[0];
    }
    store(row, clamp_lanes<in_pairs>(w + rate_delta * broadcast(output), limit));
    return error;
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
    const int b = neuron / layer.block;
    return layer.weights_offset + layer.block_start(b) + static_cast<std::size_t>(source) * layer.width(b) +
           static_cast<std::size_t>(neuron % layer.block);
}

void DenseLayers::build(const std::vector<Neuron>& neurons, const std::vector<int>& layer_sizes)
{
    *this = DenseLayers();
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

namespace {

// The logistic function of the four neurons whose sums are `sums`, into `count` values at `to`;
// returns all four values.
DENSE_INLINE Lanes activate(Lanes sums, const double* thresholds, const double* slopes, double* to, int count)
{
    const Lanes values = engine_logistic(sums, load(thresholds), load(slopes));
    if (count == lanes) {
        store(to, values);
        return values;
    }
    // The neurons after the layer's last one belong to the next layer, or are not there. Lane
    // by lane, which a compiler does not turn into a call to copy memory.
    to[0] = values[0];
    if (count > 1)
        to[1] = values[1];
    if (count > 2)
        to[2] = values[2];
    return values;
}

// The sums of a narrow layer whose sources are the values of a narrow layer still in registers,
// `sources[r]` for row r: the products and additions of the sums from memory, without waiting
// for those values to be stored and loaded again. Each lane by its own number, so that no
// value goes through memory.
template <int rows>
DENSE_INLINE void sums_from_lanes(const Lanes* sources, int source_count, const double* weights, Lanes* sum)
{
    for (int r = 0; r < rows; ++r)
        sum[r] = broadcast(sources[r][0]) * load(weights);
    if (source_count > 1)
        for (int r = 0; r < rows; ++r)
            sum[r] = sum[r] + broadcast(sources[r][1]) * load(weights + narrowest_block);
    if (source_count > 2)
        for (int r = 0; r < rows; ++r)
            sum[r] = sum[r] + broadcast(sources[r][2]) * load(weights + 2 * narrowest_block);
    if (source_count > 3)
        for (int r = 0; r < rows; ++r)
            sum[r] = sum[r] + broadcast(sources[r][3]) * load(weights + 3 * narrowest_block);
}

}  // namespace

// The evaluation and backward pass, inlined into one entry point per kernel set so that each
// set's vector instructions reach every loop.
struct DenseLayers::Kernels {
    // The sums of one block for `rows` rows, row r's at sums + r * block; one row of a wide
    // layer takes row_sums instead.
    template <int rows>
    static DENSE_INLINE void sums_of_block(int block, int width, const double* inputs, std::size_t stride,
                                           int input_count, const double* block_weights, double* sums)
    {
        // Up to four rows by eight neurons fill the vector registers; each weight loaded serves
        // every row.
        int part = 0;
        for (; part + 8 <= width; part += 8)
            block_sums<2, rows>(inputs, stride, input_count, block_weights + part, width, sums + part, block);
        if (part < width)
            block_sums<1, rows>(inputs, stride, input_count, block_weights + part, width, sums + part, block);
    }

    // The sums of a wide layer's neurons for one row, `most` parts of sixteen neurons in each
    // pass over the inputs: enough sums in flight to hide the latency of each addition, as
    // many as the kernel set's registers hold.
    template <int most>
    static DENSE_INLINE void row_sums(const Layer& layer, const double* inputs, const double* layer_weights,
                                      double* sums)
    {
        const int parts = (layer.size + half_block - 1) / half_block;
        const int passes = (parts + most - 1) / most;
        const int per_pass = (parts + passes - 1) / passes;
        for (int first = 0; first < parts; first += per_pass) {
            const int count = std::min(per_pass, parts - first);
            const double* part_weights[most];
            int strides[most];
            int last_lanes = half_block;
            for (int p = 0; p < count; ++p) {
                const int lane = (first + p) * half_block;
                const int b = lane / layer.block;
                part_weights[p] = layer_weights + layer.block_start(b) + lane % layer.block;
                strides[p] = layer.width(b);
                last_lanes = std::min(half_block, strides[p] - lane % layer.block);
            }
            some_part_sums<most>(count, last_lanes / lanes, inputs, layer.previous_size, part_weights, strides,
                                 sums + first * half_block);
        }
    }

    template <int most>
    static DENSE_INLINE void some_part_sums(int count, int last_vectors, const double* inputs, int input_count,
                                            const double* const* part_weights, const int* strides, double* sums)
    {
        if (count == most) {
            if (last_vectors == 4)
                part_sums<most, 4>(inputs, input_count, part_weights, strides, sums);
            else if (last_vectors == 3)
                part_sums<most, 3>(inputs, input_count, part_weights, strides, sums);
            else if (last_vectors == 2)
                part_sums<most, 2>(inputs, input_count, part_weights, strides, sums);
            else
                part_sums<most, 1>(inputs, input_count, part_weights, strides, sums);
        } else if constexpr (most > 1) {
            some_part_sums<most - 1>(count, last_vectors, inputs, input_count, part_weights, strides, sums);
        }
    }

    // One narrow layer for `rows` rows: one block whose sums stay in registers, taken from the
    // values of a narrow layer before it in `narrow_values` when `after_narrow`, else from
    // memory. Leaves the layer's values in `narrow_values` and in memory.
    template <int rows>
    static DENSE_INLINE void evaluate_narrow_layer(const DenseLayers& form, const Layer& layer, double* values,
                                                   std::size_t stride, Lanes* narrow_values, bool after_narrow)
    {
        const double* inputs = values + layer.previous_first;
        const double* layer_weights = form.weights.data() + layer.weights_offset;
        // Starting from the first product shortens the chain; a sum of zeros that takes the
        // sign of -0.0 this way gives the same output.
        Lanes sum[rows];
        if (after_narrow) {
            sums_from_lanes<rows>(narrow_values, layer.previous_size, layer_weights, sum);
        } else {
            for (int r = 0; r < rows; ++r)
                sum[r] = layer.previous_size > 0 ? broadcast(inputs[r * stride]) * load(layer_weights) : Lanes{};
            for (int j = 1; j < layer.previous_size; ++j) {
                const Lanes weight = load(layer_weights + j * narrowest_block);
                for (int r = 0; r < rows; ++r)
                    sum[r] = sum[r] + broadcast(inputs[r * stride + j]) * weight;
            }
        }
        for (int r = 0; r < rows; ++r)
            narrow_values[r] = activate(sum[r], form.thresholds.data() + layer.lane_offset,
                                        form.slopes.data() + layer.lane_offset, values + r * stride + layer.first,
                                        layer.size);
    }

    // One row of a network of narrow layers only: the loop of evaluate_rows without the wider
    // blocks, whose registers and constants such a small network would pay for on every call.
    // Returns the output layer's values.
    static DENSE_INLINE Lanes evaluate_narrow_network(DenseLayers& form)
    {
        Lanes narrow_values[1];
        bool after_narrow = false;
        for (const Layer& layer : form.layers) {
            evaluate_narrow_layer<1>(form, layer, form.outputs.data(), 0, narrow_values, after_narrow);
            after_narrow = true;
        }
        return narrow_values[0];
    }

    // Computes every computing neuron for `rows` rows; row r's neuron values start at
    // values + r * stride and hold its inputs. Each block's logistic functions run side by side.
    template <int rows, typename Kernel>
    static DENSE_INLINE void evaluate_rows(DenseLayers& form, double* values, std::size_t stride)
    {
        double* sums = form.sums.data();
        // The values of the last layer when it was narrow, per row, for the next narrow layer.
        Lanes narrow_values[rows];
        bool after_narrow = false;
        for (const Layer& layer : form.layers) {
            if (layer.block == narrowest_block) {
                evaluate_narrow_layer<rows>(form, layer, values, stride, narrow_values, after_narrow);
                after_narrow = true;
                continue;
            }
            const double* inputs = values + layer.previous_first;
            const double* layer_weights = form.weights.data() + layer.weights_offset;
            const double* thresholds = form.thresholds.data() + layer.lane_offset;
            const double* slopes = form.slopes.data() + layer.lane_offset;
            after_narrow = false;
            if (rows == 1 && layer.block >= half_block) {
                Kernel::row_sums(layer, inputs, layer_weights, sums);
                for (int k = 0; k < layer.size; k += lanes)
                    activate(load(sums + k), thresholds + k, slopes + k, values + layer.first + k,
                             std::min(lanes, layer.size - k));
                continue;
            }
            for (int b = 0; b < layer.blocks; ++b) {
                const double* block_weights = layer_weights + layer.block_start(b);
                const int lane = b * layer.block;
                const int used = std::min(layer.block, layer.size - lane);
                sums_of_block<rows>(layer.block, layer.width(b), inputs, stride, layer.previous_size, block_weights,
                                    sums);
                for (int r = 0; r < rows; ++r)
                    for (int k = 0; k < used; k += lanes)
                        activate(load(sums + r * layer.block + k), thresholds + lane + k, slopes + lane + k,
                                 values + r * stride + layer.first + lane + k, std::min(lanes, used - k));
            }
        }
    }

    template <typename Kernel>
    static DENSE_INLINE void evaluate(DenseLayers& form)
    {
        if (form.narrow_layers_only)
            evaluate_narrow_network(form);
        else
            evaluate_rows<1, Kernel>(form, form.outputs.data(), 0);
    }

    template <typename Kernel>
    static DENSE_INLINE void evaluate_group(DenseLayers& form, const double* const* rows, int row_count)
    {
        const std::size_t stride = form.outputs.size();
        const int input_count = form.layers.front().previous_size;
        double* values = form.group_values.data();
        // A few inputs each: a plain loop beats a call to copy them.
        for (int r = 0; r < row_count; ++r)
            for (int i = 0; i < input_count; ++i)
                values[r * stride + i] = rows[r][i];
        if (row_count == group_rows) {
            evaluate_rows<group_rows, Kernel>(form, values, stride);
            return;
        }
        for (int r = 0; r < row_count; ++r)
            evaluate_rows<1, Kernel>(form, values + r * stride, 0);
    }

    // The backward step of a narrow layer, its four lanes side by side. The errors it gathers
    // for a narrow layer before it stay in `narrow_errors`; those for a wider layer go to the
    // errors array. The output layer's values come from `output_values` when given (lanes
    // beyond the layer's neurons never reach a neuron's weights or errors).
    template <bool in_pairs>
    static DENSE_INLINE void back_propagate_narrow(DenseLayers& form, std::size_t index, const double* expected_outputs,
                                                   const Lanes* output_values, Lanes& narrow_errors)
    {
        const Layer& layer = form.layers[index];
        const double* outputs = form.outputs.data();
        double* errors = form.errors.data();
        const bool output_layer = index + 1 == form.layers.size();
        const Lanes output = output_layer && output_values != nullptr ? *output_values
                                                                       : load_part(outputs + layer.first, layer.size);
        Lanes error;
        if (output_layer) {
            error = load_part(expected_outputs, layer.size) - output;
        } else if (form.layers[index + 1].block == narrowest_block) {
            error = narrow_errors;
        } else {
            error = load_part(errors + layer.first, layer.size);
            for (int i = 0; i < layer.size; ++i)
                errors[layer.first + i] = 0.0;
        }
        const Lanes delta = ((error * load(form.slopes.data() + layer.lane_offset)) * output) * (1.0 - output);
        const Lanes rate_delta = load(form.rates.data() + layer.lane_offset) * delta;
        const Lanes limit = load(form.limits.data() + layer.lane_offset);
        if (form.thresholds_learned) {
            // Padded lanes hold 0 for every parameter, so their thresholds stay 0.
            double* thresholds = form.thresholds.data() + layer.lane_offset;
            store(thresholds, clamp_lanes<in_pairs>(load(thresholds) - rate_delta, limit));
        }
        double* weights = form.weights.data() + layer.weights_offset;
        const double* source_outputs = outputs + layer.previous_first;
        const int sources = layer.previous_size;
        if (index == 0) {
            // The input layer's errors would be discarded at once: they are not gathered.
            for (int j = 0; j < sources; ++j)
                update_narrow_source<false, in_pairs>(weights + j * narrowest_block, delta, rate_delta, limit, source_outputs[j],
                                            0.0, layer.size);
            return;
        }
        if (form.layers[index - 1].block != narrowest_block) {
            double* source_errors = errors + layer.previous_first;
            for (int j = 0; j < sources; ++j)
                source_errors[j] = update_narrow_source<true, in_pairs>(weights + j * narrowest_block, delta, rate_delta, limit,
                                                              source_outputs[j], source_errors[j], layer.size);
            return;
        }
        // At most four sources, each by its own number so that no error goes through memory.
        // Their errors start from the 0 the errors array holds between steps.
        const auto source = [&](int j) {
            return update_narrow_source<true, in_pairs>(weights + j * narrowest_block, delta, rate_delta, limit,
                                              source_outputs[j], 0.0, layer.size);
        };
        const double first = source(0);
        const double second = sources > 1 ? source(1) : 0.0;
        const double third = sources > 2 ? source(2) : 0.0;
        const double fourth = sources > 3 ? source(3) : 0.0;
        narrow_errors = Lanes{first, second, third, fourth};
    }

    // One back-propagation step from the outputs of the last evaluation: the output layer's
    // errors are expected - output, the other layers' were gathered from the layer after.
    // With `narrow_vectors`, narrow layers take their step in vectors, for kernel sets whose
    // vectors hold four lanes; `in_pairs` as in clamp_lanes. Wide blocks are updated in parts
    // of `part_lanes`, whose deltas, rate deltas and limits stay in registers.
    template <bool narrow_vectors, bool in_pairs, int part_lanes>
    static DENSE_INLINE void back_propagate(DenseLayers& form, const double* expected_outputs,
                                            const Lanes* output_values)
    {
        const double* outputs = form.outputs.data();
        double* errors = form.errors.data();
        Lanes narrow_errors{};
        for (std::size_t index = form.layers.size(); index-- > 0;) {
            const Layer& layer = form.layers[index];
            if (narrow_vectors && layer.block == narrowest_block) {
                back_propagate_narrow<in_pairs>(form, index, expected_outputs, output_values, narrow_errors);
                continue;
            }
            double* deltas = form.deltas.data() + layer.lane_offset;
            double* rate_deltas = form.rate_deltas.data() + layer.lane_offset;
            const double* rates = form.rates.data() + layer.lane_offset;
            const double* limits = form.limits.data() + layer.lane_offset;
            const double* slopes = form.slopes.data() + layer.lane_offset;
            const double* layer_outputs = outputs + layer.first;
            double* layer_errors = errors + layer.first;
            const bool output_layer = index + 1 == form.layers.size();
            for (int i = 0; i < layer.size; ++i) {
                double error;
                if (output_layer) {
                    error = expected_outputs[i] - layer_outputs[i];
                } else {
                    error = layer_errors[i];
                    layer_errors[i] = 0.0;
                }
                const double output = layer_outputs[i];
                deltas[i] = ((error * slopes[i]) * output) * (1.0 - output);
                rate_deltas[i] = rates[i] * deltas[i];
            }
            if (form.thresholds_learned)
                learn_layer_thresholds(form.thresholds.data() + layer.lane_offset, rate_deltas, limits, layer.size);
            // The input layer's errors would be discarded at once: they are not gathered.
            double* source_errors = index == 0 ? nullptr : errors + layer.previous_first;
            double* layer_weights = form.weights.data() + layer.weights_offset;
            const double* source_outputs = outputs + layer.previous_first;
            const int sources = layer.previous_size;
            if (layer.block == narrowest_block) {
                update_narrow(source_outputs, source_errors, sources, layer_weights, deltas, rate_deltas, limits,
                              layer.size);
                continue;
            }
            for (int b = layer.blocks; b-- > 0;) {
                double* block_weights = layer_weights + layer.block_start(b);
                const int lane = b * layer.block;
                const int width = layer.width(b);
                // A block of eight in one part where the set's parts are wider.
                if (part_lanes > 8 && layer.block == 8) {
                    block_update<2, in_pairs>(source_outputs, source_errors, sources, block_weights, 8,
                                              deltas + lane, rate_deltas + lane, limits + lane,
                                              std::min(8, layer.size - lane));
                    continue;
                }
                // Wide blocks in parts of `part_lanes`, the last part first, and a narrower last
                // block's last part vector by vector, the last one first: each source's error
                // still gathers the lanes from the last neuron down to the first.
                for (int part = (width - 1) / part_lanes * part_lanes; part >= 0; part -= part_lanes) {
                    const int at = lane + part;
                    if (width - part >= part_lanes) {
                        block_update<part_lanes / lanes, in_pairs>(source_outputs, source_errors, sources,
                                                                   block_weights + part, width, deltas + at,
                                                                   rate_deltas + at, limits + at,
                                                                   std::min(part_lanes, layer.size - at));
                        continue;
                    }
                    for (int vector = width - lanes; vector >= part; vector -= lanes)
                        block_update<1, in_pairs>(source_outputs, source_errors, sources, block_weights + vector,
                                                  width, deltas + lane + vector, rate_deltas + lane + vector,
                                                  limits + lane + vector, std::min(lanes, layer.size - lane - vector));
                }
            }
        }
    }

    template <typename Kernel>
    static DENSE_INLINE void train_pattern(DenseLayers& form, const double* inputs, const double* expected_outputs)
    {
        double* values = form.outputs.data();
        for (int i = 0; i < form.layers.front().previous_size; ++i)
            values[i] = inputs[i];
        constexpr bool narrow_vectors = Kernel::narrow_vectors;
        if (narrow_vectors && form.narrow_layers_only) {
            // The output layer's values go on in registers.
            const Lanes output_values = evaluate_narrow_network(form);
            back_propagate<narrow_vectors, Kernel::in_pairs, Kernel::update_lanes>(form, expected_outputs,
                                                                                  &output_values);
            return;
        }
        evaluate_rows<1, Kernel>(form, form.outputs.data(), 0);
        back_propagate<narrow_vectors, Kernel::in_pairs, Kernel::update_lanes>(form, expected_outputs, nullptr);
    }

    static DENSE_INLINE void exponentials(const double* arguments, double* results, std::size_t count)
    {
        std::size_t i = 0;
        for (; i + lanes <= count; i += lanes)
            store(results + i, engine_exp(load(arguments + i)));
        if (i == count)
            return;
        double rest[lanes] = {};
        for (std::size_t k = i; k < count; ++k)
            rest[k - i] = arguments[k];
        store(rest, engine_exp(load(rest)));
        for (std::size_t k = i; k < count; ++k)
            results[k] = rest[k - i];
    }

    // One kernel set: its name, whether this machine runs it, and its entry points.
    struct Set {
        const char* name;
        bool (*runnable)();
        void (*exponentials)(const double*, double*, std::size_t);
        void (*evaluate)(DenseLayers&);
        void (*evaluate_group)(DenseLayers&, const double* const*, int);
        void (*train_pattern)(DenseLayers&, const double*, const double*);
    };

#define DENSE_KERNEL_SET(space, attributes, parts, narrow, pairs)                                                     \
    struct space {                                                                                                    \
        static constexpr bool narrow_vectors = narrow;                                                                \
        static constexpr bool in_pairs = pairs;                                                                       \
        static constexpr int update_lanes = pairs ? lanes : half_block;                                                   \
        /* Apart from the entry points, which small networks' calls then spend less on. */                            \
        attributes __attribute__((noinline)) static void row_sums(const Layer& layer, const double* inputs,           \
                                                                 const double* layer_weights, double* sums)           \
        {                                                                                                             \
            Kernels::row_sums<parts>(layer, inputs, layer_weights, sums);                                             \
        }                                                                                                             \
        attributes static void evaluate(DenseLayers& form) { Kernels::evaluate<space>(form); }                        \
        attributes static void evaluate_group(DenseLayers& form, const double* const* rows, int row_count)            \
        {                                                                                                             \
            Kernels::evaluate_group<space>(form, rows, row_count);                                                    \
        }                                                                                                             \
        attributes static void train_pattern(DenseLayers& form, const double* inputs, const double* expected)         \
        {                                                                                                             \
            Kernels::train_pattern<space>(form, inputs, expected);                                                    \
        }                                                                                                             \
        attributes static void exponentials(const double* arguments, double* results, std::size_t count)              \
        {                                                                                                             \
            Kernels::exponentials(arguments, results, count);                                                         \
        }                                                                                                             \
    };
    // `parts` is how many parts of sixteen neurons one row sums per pass over the inputs: four
    // vectors of sums each, as many as the set's vector registers hold beside the input and
    // the products (16 registers; AVX-512 with AVX512VL has 32). `narrow` as in back_propagate;
    // `pairs` says that the set's vectors of four lanes are pairs of registers: then the backward
    // step takes four lanes at a time, since sixteen lanes' rate deltas, limits and negated
    // limits would need 24 of the 16 registers, and even eight lanes' leave too few for the
    // work. WebAssembly's baseline takes narrow layers in vectors too: there the lane-by-lane
    // form is the slower one.
#if defined(__wasm_simd128__)
    DENSE_KERNEL_SET(Baseline, , 2, true, true)
#else
    DENSE_KERNEL_SET(Baseline, , 2, false, true)
#endif
#if DENSE_X86_KERNELS
    DENSE_KERNEL_SET(Avx2, __attribute__((target("avx2"))), 2, true, false)
    DENSE_KERNEL_SET(Avx512, __attribute__((target("avx512f,avx512vl"))), 7, true, false)
#endif
#undef DENSE_KERNEL_SET

    static bool always() { return true; }
#if DENSE_X86_KERNELS
    static bool has_avx2()
    {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx2");
    }
    static bool has_avx512()
    {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512vl");
    }
#endif

    // Slowest first; the last one this machine runs is the default.
    static constexpr Set sets[] = {
        {"baseline", always, Baseline::exponentials, Baseline::evaluate, Baseline::evaluate_group, Baseline::train_pattern},
#if DENSE_X86_KERNELS
        {"avx2", has_avx2, Avx2::exponentials, Avx2::evaluate, Avx2::evaluate_group, Avx2::train_pattern},
        {"avx512", has_avx512, Avx512::exponentials, Avx512::evaluate, Avx512::evaluate_group, Avx512::train_pattern},
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

    static const Set* initial()
    {
        const char* wanted = std::getenv("NC_ENGINE_KERNELS");
        const Set* named = wanted != nullptr ? find(wanted) : nullptr;
        return named != nullptr ? named : fastest();
    }

    // Null until the first use or choice; a race between two first uses stores the same set.
    static std::atomic<const Set*> chosen;

    static __attribute__((noinline)) const Set& choose_initial()
    {
        const Set* set = initial();
        chosen.store(set, std::memory_order_relaxed);
        return *set;
    }

    // One load and a test on every call: the choice on first use stays out of the callers.
    static const Set& current()
    {
        const Set* set = chosen.load(std::memory_order_relaxed);
        return set != nullptr ? *set : choose_initial();
    }
};

std::atomic<const DenseLayers::Kernels::Set*> DenseLayers::Kernels::chosen{nullptr};

std::vector<std::string> DenseLayers::available_kernels()
{
    std::vector<std::string> names = built_kernels();
    names.erase(std::remove_if(names.begin(), names.end(),
                               [](const std::string& name) { return Kernels::find(name) == nullptr; }),
                names.end());
    return names;
}

std::vector<std::string> DenseLayers::built_kernels()
{
    std::vector<std::string> names;
    for (const Kernels::Set& set : Kernels::sets)
        names.emplace_back(set.name);
    return names;
}

bool DenseLayers::select_kernels(const std::string& name)
{
    const Kernels::Set* set = Kernels::find(name);
    if (set == nullptr)
        return false;
    Kernels::chosen.store(set, std::memory_order_relaxed);
    return true;
}

std::string DenseLayers::selected_kernels()
{
    return Kernels::current().name;
}

void DenseLayers::exponentials(const double* arguments, double* results, std::size_t count)
{
    Kernels::current().exponentials(arguments, results, count);
}

void DenseLayers::evaluate(std::vector<Neuron>& neurons)
{
    load_parameters(neurons);
    Kernels::current().evaluate(*this);
    const std::size_t count = outputs.size();
    const double* values = outputs.data();
    Neuron* to = neurons.data();
    for (std::size_t i = static_cast<std::size_t>(layers.front().first); i < count; ++i)
        to[i].output = values[i];
}

void DenseLayers::load_parameters(const std::vector<Neuron>& neurons)
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

void DenseLayers::evaluate_group(const double* const* rows, int row_count)
{
    Kernels::current().evaluate_group(*this, rows, row_count);
}

void DenseLayers::keep_group_row(int row, std::vector<Neuron>& neurons)
{
    const double* values = group_values.data() + static_cast<std::size_t>(row) * outputs.size();
    for (std::size_t i = 0; i < outputs.size(); ++i)
        neurons[i].output = outputs[i] = values[i];
}

void DenseLayers::train_pattern(const double* inputs, const double* expected_outputs)
{
    Kernels::current().train_pattern(*this, inputs, expected_outputs);
}

void DenseLayers::store_outputs(std::vector<Neuron>& neurons) const
{
    for (std::size_t i = 0; i < outputs.size(); ++i)
        neurons[i].output = outputs[i];
}

void DenseLayers::store_weights(std::vector<Neuron>& neurons) const
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
