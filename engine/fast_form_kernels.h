// The fast form's kernels: templates of the evaluation and the backward pass over one layout,
// parameterised by one kernel policy. Compiled only by fast_form_dispatch.cpp, once for each
// kernel set's instructions.
//
// Reading guide. One evaluation: Network::evaluate calls FastForm::evaluate, which calls the
// chosen kernel set's entry point (the table in fast_form_dispatch.cpp), Kernels::evaluate
// below. A network of narrow layers only takes evaluate_narrow_network and
// evaluate_narrow_layer; any other takes evaluate_rows, which gives each layer of one vector
// to evaluate_narrow_layer, each layer of sixteen or more neurons to policy.row_sums (row_sums
// compiled apart, then part_sums) and the others to sums_of_block (block_sums); activate then
// takes the logistic function of four sums at a time. One training pattern:
// Network::train_passes calls FastForm::train_pattern, then Kernels::train_pattern, which
// evaluates as above and calls back_propagate: layers from the last to the first, narrow ones
// in back_propagate_narrow (update_narrow_source) with policy.narrow_vectors, the others lane
// by lane in update_narrow when narrow, else block by block in block_update (gather_errors,
// update_source), policy.update_lanes lanes a call.
//
// The kernels work on one block of neurons at a time with vectors of lanes, one lane per
// neuron, so each lane's sum is added in its own source order. A layer of at most four neurons
// is one vector, whose values and errors pass to a neighbouring layer of that size in registers.
#ifndef ENGINE_FAST_FORM_KERNELS_H
#define ENGINE_FAST_FORM_KERNELS_H

#include "engine/fast_form.h"
#include "engine/logistic.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

#define FAST_INLINE __attribute__((always_inline)) inline

namespace {

constexpr int lanes = FastForm::lanes;
constexpr int narrowest_block = FastForm::narrowest_block;
constexpr int part_width = FastForm::part_width;

// Four doubles, loadable from any 8-byte aligned address. Functions that pass them are always
// inlined: the AVX2 and baseline kernels would disagree on how to pass them across a call.
typedef double Lanes __attribute__((vector_size(lanes * sizeof(double)), aligned(sizeof(double))));

FAST_INLINE Lanes load(const double* from)
{
    Lanes value;
    std::memcpy(&value, from, sizeof value);
    return value;
}

FAST_INLINE void store(double* to, Lanes value)
{
    std::memcpy(to, &value, sizeof value);
}

FAST_INLINE Lanes broadcast(double value)
{
    return Lanes{value, value, value, value};
}

// The weighted sums of `vectors` * 4 neurons for `rows` rows at once; row r reads its inputs
// at inputs + r * input_stride and leaves its sums at sums + r * sums_stride:
// sums[k] = ((0 + x[0] * w[0][k]) + x[1] * w[1][k]) + ...
// Each source's weights for the neurons start `weight_stride` doubles after the previous
// source's, so one call may take part of a wider block.
template <int vectors, int rows>
FAST_INLINE void block_sums(const double* inputs, std::size_t input_stride, int input_count,
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
FAST_INLINE void transpose(const Lanes* rows, Lanes* columns)
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
FAST_INLINE Vector clamp(Vector w, Vector limit)
{
    w = w > limit ? limit : w;
    return w < -limit ? -limit : w;
}

#if defined(__wasm_simd128__)
// WebAssembly's pmin and pmax are these two selections exactly, one instruction each.
template <>
FAST_INLINE Pair clamp(Pair w, Pair limit)
{
    return __builtin_wasm_pmax_f64x2(__builtin_wasm_pmin_f64x2(w, limit), -limit);
}

#endif

// w clamped to limit and to -limit, in that order. Where the vectors of four lanes are pairs of
// narrower registers (`in_pairs`), a compiler would compare them lane by lane; it compares
// each pair whole.
template <bool in_pairs>
FAST_INLINE Lanes clamp_lanes(Lanes w, Lanes limit)
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
FAST_INLINE void learn_layer_thresholds(double* thresholds, const double* rate_deltas, const double* limits, int count)
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
FAST_INLINE void update_source(double* row, double output, const Lanes* rate_delta, const Lanes* limit)
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
FAST_INLINE void gather_errors(const double* rows, int weight_stride, const Lanes* delta, double* source_errors,
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
FAST_INLINE void block_update(const double* source_outputs, double* source_errors, int source_count,
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


// The sums of `count` parts of up to sixteen neurons for one row, as block_sums gives each,
// side by side in one pass over the inputs: part p's weights start at part_weights[p], each
// source's `strides[p]` doubles after the previous source's; the last part has
// `last_vectors` vectors of neurons, the others four. Part p's sums go to sums + p * 16.
template <int count, int last_vectors>
FAST_INLINE void part_sums(const double* inputs, int input_count, const double* const* part_weights,
                            const int* strides, double* sums)
{
    constexpr int vectors = part_width / lanes;
    Lanes accumulators[count][vectors] = {};
    const double* at[count];
    for (int p = 0; p < count; ++p)
        at[p] = part_weights[p];
    for (int j = 0; j < input_count; ++j) {
        // Stepping on before each source but the first keeps the pointers inside the weights.
        if (j > 0)
            for (int p = 0; p < count; ++p)
                at[p] += strides[p];
        const Lanes input = broadcast(inputs[j]);
        for (int p = 0; p < count; ++p)
            for (int v = 0; v < (p + 1 == count ? last_vectors : vectors); ++v)
                accumulators[p][v] = accumulators[p][v] + input * load(at[p] + v * lanes);
    }
    for (int p = 0; p < count; ++p)
        for (int v = 0; v < (p + 1 == count ? last_vectors : vectors); ++v)
            store(sums + p * part_width + v * lanes, accumulators[p][v]);
}

// The update of a narrow layer, lane by lane in the same order as block_update: where a
// vector is two halves, as in the native baseline kernels, this is quicker than the vector
// form below.
FAST_INLINE void update_narrow(const double* source_outputs, double* source_errors, int source_count,
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
FAST_INLINE Lanes load_part(const double* from, int count)
{
    return Lanes{from[0], count > 1 ? from[1] : 0.0, count > 2 ? from[2] : 0.0, count > 3 ? from[3] : 0.0};
}

// One source of a narrow layer, as block_update does it for one source: with `gather`, adds
// delta * old weight of each used lane to `error`, from the last used lane down to the first;
// then updates the source's weights. Returns the error.
template <bool gather, bool in_pairs>
FAST_INLINE double update_narrow_source(double* row, Lanes delta, Lanes rate_delta, Lanes limit, double output,
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

// The logistic function of the four neurons whose sums are `sums`, into `count` values at `to`;
// returns all four values.
FAST_INLINE Lanes activate(Lanes sums, const double* thresholds, const double* slopes, double* to, int count)
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
FAST_INLINE void sums_from_lanes(const Lanes* sources, int source_count, const double* weights, Lanes* sum)
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
struct FastForm::Kernels {
    // What one kernel set's instructions favour. Every template below that depends on it takes
    // the set's policy whole, as `policy`, and reads these fields by these names.
    struct Policy {
        // Parts of part_width neurons whose sums one row advances in one pass over the inputs:
        // four vectors of sums each, as many as the set's vector registers hold beside the input
        // and the products.
        int row_parts;
        // Whether narrow layers take their backward step in vectors of four lanes; else lane by
        // lane, which is quicker where a vector of four is a pair of registers.
        bool narrow_vectors;
        // Whether the set's vectors of four lanes are pairs of registers (see clamp_lanes).
        bool in_pairs;
        // The lanes of a wide block that one call of block_update takes, whose deltas, rate
        // deltas and limits stay in registers.
        int update_lanes;
        // row_sums<policy> compiled for the set apart from its entry points, which small
        // networks' calls then spend less on.
        void (*row_sums)(const Layer& layer, const double* inputs, const double* layer_weights, double* sums);
    };

    // The sums of one block for `rows` rows, row r's at sums + r * block; one row of a wide
    // layer takes row_sums instead.
    template <int rows>
    static FAST_INLINE void sums_of_block(int block, int width, const double* inputs, std::size_t stride,
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

    // The sums of a wide layer's neurons for one row, policy.row_parts parts of sixteen
    // neurons in each pass over the inputs: enough sums in flight to hide the latency of each
    // addition, as many as the kernel set's registers hold.
    template <const Policy& policy>
    static FAST_INLINE void row_sums(const Layer& layer, const double* inputs, const double* layer_weights,
                                     double* sums)
    {
        const int parts = (layer.size + part_width - 1) / part_width;
        const int passes = (parts + policy.row_parts - 1) / policy.row_parts;
        const int per_pass = (parts + passes - 1) / passes;
        for (int first = 0; first < parts; first += per_pass) {
            const int parts_in_pass = std::min(per_pass, parts - first);
            const double* part_weights[policy.row_parts];
            int strides[policy.row_parts];
            int last_lanes = part_width;
            for (int p = 0; p < parts_in_pass; ++p) {
                const int lane = (first + p) * part_width;
                const int b = lane / layer.block;
                part_weights[p] = layer_weights + layer.block_start(b) + lane % layer.block;
                strides[p] = layer.width(b);
                last_lanes = std::min(part_width, strides[p] - lane % layer.block);
            }
            some_part_sums<policy>(parts_in_pass, last_lanes / lanes, inputs, layer.previous_size, part_weights,
                                   strides, sums + first * part_width);
        }
    }

    // part_sums of `parts_in_pass` parts, tried against each `count` from policy.row_parts down.
    template <const Policy& policy, int count = policy.row_parts>
    static FAST_INLINE void some_part_sums(int parts_in_pass, int last_vectors, const double* inputs,
                                           int input_count, const double* const* part_weights, const int* strides,
                                           double* sums)
    {
        if (parts_in_pass == count) {
            if (last_vectors == 4)
                part_sums<count, 4>(inputs, input_count, part_weights, strides, sums);
            else if (last_vectors == 3)
                part_sums<count, 3>(inputs, input_count, part_weights, strides, sums);
            else if (last_vectors == 2)
                part_sums<count, 2>(inputs, input_count, part_weights, strides, sums);
            else
                part_sums<count, 1>(inputs, input_count, part_weights, strides, sums);
        } else if constexpr (count > 1) {
            some_part_sums<policy, count - 1>(parts_in_pass, last_vectors, inputs, input_count, part_weights, strides,
                                              sums);
        }
    }

    // One narrow layer for `rows` rows: one block whose sums stay in registers, taken from the
    // values of a narrow layer before it in `narrow_values` when `after_narrow`, else from
    // memory. Leaves the layer's values in `narrow_values` and in memory.
    template <int rows>
    static FAST_INLINE void evaluate_narrow_layer(const FastForm& form, const Layer& layer, double* values,
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
    static FAST_INLINE Lanes evaluate_narrow_network(FastForm& form)
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
    template <int rows, const Policy& policy>
    static FAST_INLINE void evaluate_rows(FastForm& form, double* values, std::size_t stride)
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
            if (rows == 1 && layer.block >= part_width) {
                policy.row_sums(layer, inputs, layer_weights, sums);
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

    template <const Policy& policy>
    static FAST_INLINE void evaluate(FastForm& form)
    {
        if (form.narrow_layers_only)
            evaluate_narrow_network(form);
        else
            evaluate_rows<1, policy>(form, form.outputs.data(), 0);
    }

    template <const Policy& policy>
    static FAST_INLINE void evaluate_group(FastForm& form, const double* const* rows, int row_count)
    {
        const std::size_t stride = form.outputs.size();
        const int input_count = form.layers.front().previous_size;
        double* values = form.group_values.data();
        // A few inputs each: a plain loop beats a call to copy them.
        for (int r = 0; r < row_count; ++r)
            for (int i = 0; i < input_count; ++i)
                values[r * stride + i] = rows[r][i];
        if (row_count == group_rows) {
            evaluate_rows<group_rows, policy>(form, values, stride);
            return;
        }
        for (int r = 0; r < row_count; ++r)
            evaluate_rows<1, policy>(form, values + r * stride, 0);
    }

    // The backward step of a narrow layer, its four lanes side by side. The errors it gathers
    // for a narrow layer before it stay in `narrow_errors`; those for a wider layer go to the
    // errors array. The output layer's values come from `output_values` when given (lanes
    // beyond the layer's neurons never reach a neuron's weights or errors).
    template <bool in_pairs>
    static FAST_INLINE void back_propagate_narrow(FastForm& form, std::size_t index, const double* expected_outputs,
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
    template <const Policy& policy>
    static FAST_INLINE void back_propagate(FastForm& form, const double* expected_outputs,
                                            const Lanes* output_values)
    {
        const double* outputs = form.outputs.data();
        double* errors = form.errors.data();
        Lanes narrow_errors{};
        for (std::size_t index = form.layers.size(); index-- > 0;) {
            const Layer& layer = form.layers[index];
            if (policy.narrow_vectors && layer.block == narrowest_block) {
                back_propagate_narrow<policy.in_pairs>(form, index, expected_outputs, output_values, narrow_errors);
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
                if (policy.update_lanes > 8 && layer.block == 8) {
                    block_update<2, policy.in_pairs>(source_outputs, source_errors, sources, block_weights, 8,
                                              deltas + lane, rate_deltas + lane, limits + lane,
                                              std::min(8, layer.size - lane));
                    continue;
                }
                // Wide blocks in parts of `policy.update_lanes`, the last part first, and a narrower last
                // block's last part vector by vector, the last one first: each source's error
                // still gathers the lanes from the last neuron down to the first.
                for (int part = (width - 1) / policy.update_lanes * policy.update_lanes; part >= 0; part -= policy.update_lanes) {
                    const int at = lane + part;
                    if (width - part >= policy.update_lanes) {
                        block_update<policy.update_lanes / lanes, policy.in_pairs>(source_outputs, source_errors, sources,
                                                                   block_weights + part, width, deltas + at,
                                                                   rate_deltas + at, limits + at,
                                                                   std::min(policy.update_lanes, layer.size - at));
                        continue;
                    }
                    for (int vector = width - lanes; vector >= part; vector -= lanes)
                        block_update<1, policy.in_pairs>(source_outputs, source_errors, sources, block_weights + vector,
                                                  width, deltas + lane + vector, rate_deltas + lane + vector,
                                                  limits + lane + vector, std::min(lanes, layer.size - lane - vector));
                }
            }
        }
    }

    template <const Policy& policy>
    static FAST_INLINE void train_pattern(FastForm& form, const double* inputs, const double* expected_outputs)
    {
        double* values = form.outputs.data();
        for (int i = 0; i < form.layers.front().previous_size; ++i)
            values[i] = inputs[i];
        if (policy.narrow_vectors && form.narrow_layers_only) {
            // The output layer's values go on in registers.
            const Lanes output_values = evaluate_narrow_network(form);
            back_propagate<policy>(form, expected_outputs, &output_values);
            return;
        }
        evaluate_rows<1, policy>(form, form.outputs.data(), 0);
        back_propagate<policy>(form, expected_outputs, nullptr);
    }

    static FAST_INLINE void exponentials(const double* arguments, double* results, std::size_t count)
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
};

#endif
