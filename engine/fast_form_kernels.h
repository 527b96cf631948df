// The fast form's kernels: templates of the evaluation and the backward pass over one layout,
// parameterised by one kernel policy. Compiled only by fast_form_dispatch.cpp, once for each
// kernel set's instructions.
//
// Reading guide. One evaluation: Network::evaluate calls FastForm::evaluate, which calls the
// chosen kernel set's entry point, Dispatch::evaluate (fast_form_dispatch.cpp). A network of
// narrow layers only takes evaluate_narrow_network below; any other takes evaluate_rows, which
// gives each layer of one vector to evaluate_narrow_layer, each layer of sixteen or more
// neurons to policy.row_sums (part_sums) and the others, block by block, to block_sums;
// activate takes the logistic function of four sums at a time. One training pattern:
// Network::train_passes calls FastForm::train_pattern, then Dispatch::train_pattern, which
// evaluates as above and calls back_propagate: layers from the last to the first, narrow ones in
// back_propagate_narrow (update_narrow_source), the others block by block in block_update
// (gather_errors, update_source), policy.update_lanes lanes a call.
//
// Each vector holds four lanes, one lane per neuron, so each lane's sum is added in its own
// source order, the order of the neuron-by-neuron form.
#ifndef ENGINE_FAST_FORM_KERNELS_H
#define ENGINE_FAST_FORM_KERNELS_H

#include "engine/fast_form.h"
#include "engine/fast_form_lanes.h"
#include "engine/logistic.h"

#include <algorithm>
#include <cstddef>
#include <type_traits>

namespace {

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

// The logistic function of four neurons' sums, into `count` values at `to`; returns all four.
FAST_INLINE Lanes activate(Lanes sums, const double* thresholds, const double* slopes, double* to, int count)
{
    const Lanes values = engine_logistic(sums, load(thresholds), load(slopes));
    if (count == lanes) {
        store(to, values);
        return values;
    }
    // The lanes after the layer's last neuron are another layer's. Lane by lane, which a
    // compiler does not turn into a call to copy memory.
    to[0] = values[0];
    if (count > 1)
        to[1] = values[1];
    if (count > 2)
        to[2] = values[2];
    return values;
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

// Adds delta * old weight to the errors of four sources, lane after lane from the last used
// neuron down to the first: with the four sources' products transposed, lane k of all four is
// one vector, and each vector addition advances four errors, each still in its own order.
template <int vectors>
FAST_INLINE void gather_errors(const double* rows, int weight_stride, const Lanes* delta, double* source_errors,
                                int used_lanes)
{
    Lanes errors = load(source_errors);
    for (int v = vectors - 1; v >= 0; --v) {
        Lanes products[lanes];
        for (int s = 0; s < lanes; ++s)
            products[s] = delta[v] * load(rows + s * weight_stride + v * lanes);
        Lanes columns[lanes];
        transpose(products, columns);
        for (int k = lanes - 1; k >= 0; --k)
            if (v * lanes + k < used_lanes)
                errors = errors + columns[k];
    }
    store(source_errors, errors);
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
    Lanes delta[vectors], rate_delta[vectors], limit[vectors];
    for (int v = 0; v < vectors; ++v) {
        delta[v] = load(deltas + v * lanes);
        rate_delta[v] = load(rate_deltas + v * lanes);
        limit[v] = load(limits + v * lanes);
    }
    int j = 0;
    // Without errors to gather, two sources a step: one source's four lanes would not cover the
    // loop's own work.
    if (source_errors == nullptr && vectors == 1)
        for (; j + 2 <= source_count; j += 2) {
            double* row = block_weights + static_cast<std::size_t>(j) * weight_stride;
            update_source<vectors, in_pairs>(row, source_outputs[j], rate_delta, limit);
            update_source<vectors, in_pairs>(row + weight_stride, source_outputs[j + 1], rate_delta, limit);
        }
    if (source_errors != nullptr)
        for (; j + lanes <= source_count; j += lanes) {
            double* rows = block_weights + static_cast<std::size_t>(j) * weight_stride;
            gather_errors<vectors>(rows, weight_stride, delta, source_errors + j, used_lanes);
            for (int s = 0; s < lanes; ++s)
                update_source<vectors, in_pairs>(rows + s * weight_stride, source_outputs[j + s], rate_delta, limit);
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

// The sums of a narrow layer from the values of a narrow layer still in registers, `sources[r]`
// for row r: the products and additions of the sums from memory, without waiting for those
// values to be stored and loaded again. Each lane by its own number, so that none goes through
// memory.
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

// The kernels over layers, inlined into each kernel set's entry points to reach its instructions.
struct FastForm::Kernels {
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
    // values + r * stride and hold its inputs.
    template <int rows, const Policy& policy>
    static FAST_INLINE void evaluate_rows(FastForm& form, double* values, std::size_t stride)
    {
        double* sums = form.sums.data();
        Lanes narrow_values[rows];
        bool after_narrow = false;
        for (const Layer& layer : form.layers) {
            if (layer.block == narrowest_block) {
                evaluate_narrow_layer<rows>(form, layer, values, stride, narrow_values, after_narrow);
                after_narrow = true;
                continue;
            }
            after_narrow = false;
            const double* inputs = values + layer.previous_first;
            const double* layer_weights = form.weights.data() + layer.weights_offset;
            const double* thresholds = form.thresholds.data() + layer.lane_offset;
            const double* slopes = form.slopes.data() + layer.lane_offset;
            if (rows == 1 && layer.block >= part_width) {
                policy.row_sums(layer, inputs, layer_weights, sums);
                for (int k = 0; k < layer.size; k += lanes)
                    activate(load(sums + k), thresholds + k, slopes + k, values + layer.first + k,
                             std::min(lanes, layer.size - k));
                continue;
            }
            // Block by block, row r's sums at sums + r * block: up to four rows by eight neurons
            // fill the vector registers, and each weight loaded serves every row.
            for (int b = 0; b < layer.blocks; ++b) {
                const int lane = b * layer.block;
                const int used = std::min(layer.block, layer.size - lane);
                const int width = layer.width(b);
                const double* block_weights = layer_weights + layer.block_start(b);
                int part = 0;
                for (; part + 8 <= width; part += 8)
                    block_sums<2, rows>(inputs, stride, layer.previous_size, block_weights + part, width, sums + part,
                                        layer.block);
                if (part < width)
                    block_sums<1, rows>(inputs, stride, layer.previous_size, block_weights + part, width, sums + part,
                                        layer.block);
                for (int r = 0; r < rows; ++r)
                    for (int k = 0; k < used; k += lanes)
                        activate(load(sums + r * layer.block + k), thresholds + lane + k, slopes + lane + k,
                                 values + r * stride + layer.first + lane + k, std::min(lanes, used - k));
            }
        }
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
        const auto source = [&](int j, auto gather, double error) {
            return update_narrow_source<decltype(gather)::value, in_pairs>(
                weights + j * narrowest_block, delta, rate_delta, limit, source_outputs[j], error, layer.size);
        };
        const int sources = layer.previous_size;
        if (index == 0) {
            // The input layer's errors would be discarded at once: they are not gathered.
            for (int j = 0; j < sources; ++j)
                source(j, std::false_type{}, 0.0);
        } else if (form.layers[index - 1].block != narrowest_block) {
            double* source_errors = errors + layer.previous_first;
            for (int j = 0; j < sources; ++j)
                source_errors[j] = source(j, std::true_type{}, source_errors[j]);
        } else {
            // At most four sources, each by its own number so that no error goes through
            // memory. Their errors start from the 0 the errors array holds between steps.
            const double first = source(0, std::true_type{}, 0.0);
            const double second = sources > 1 ? source(1, std::true_type{}, 0.0) : 0.0;
            const double third = sources > 2 ? source(2, std::true_type{}, 0.0) : 0.0;
            const double fourth = sources > 3 ? source(3, std::true_type{}, 0.0) : 0.0;
            narrow_errors = Lanes{first, second, third, fourth};
        }
    }

    // The deltas of a layer wider than one vector, its thresholds learned from them as weights
    // from a source whose output is always -1. The output layer's errors are expected - output,
    // the others' were gathered from the layer after.
    static FAST_INLINE void wide_deltas(FastForm& form, const Layer& layer, const double* expected_outputs)
    {
        double* layer_errors = form.errors.data() + layer.first;
        const double* layer_outputs = form.outputs.data() + layer.first;
        for (int i = 0; i < layer.size; ++i) {
            double error;
            if (expected_outputs != nullptr) {
                error = expected_outputs[i] - layer_outputs[i];
            } else {
                error = layer_errors[i];
                layer_errors[i] = 0.0;
            }
            const double output = layer_outputs[i];
            const std::size_t k = layer.lane_offset + i;
            form.deltas[k] = ((error * form.slopes[k]) * output) * (1.0 - output);
            form.rate_deltas[k] = form.rates[k] * form.deltas[k];
            if (form.thresholds_learned)
                form.thresholds[k] = clamp(form.thresholds[k] - form.rate_deltas[k], form.limits[k]);
        }
    }

    // One back-propagation step from the outputs of the last evaluation, layers from the last
    // to the first.
    template <const Policy& policy>
    static FAST_INLINE void back_propagate(FastForm& form, const double* expected_outputs,
                                            const Lanes* output_values)
    {
        Lanes narrow_errors{};
        for (std::size_t index = form.layers.size(); index-- > 0;) {
            const Layer& layer = form.layers[index];
            if (layer.block == narrowest_block) {
                back_propagate_narrow<policy.in_pairs>(form, index, expected_outputs, output_values, narrow_errors);
                continue;
            }
            wide_deltas(form, layer, index + 1 == form.layers.size() ? expected_outputs : nullptr);
            const double* deltas = form.deltas.data() + layer.lane_offset;
            const double* rate_deltas = form.rate_deltas.data() + layer.lane_offset;
            const double* limits = form.limits.data() + layer.lane_offset;
            // The input layer's errors would be discarded at once: they are not gathered.
            double* source_errors = index == 0 ? nullptr : form.errors.data() + layer.previous_first;
            double* layer_weights = form.weights.data() + layer.weights_offset;
            const double* source_outputs = form.outputs.data() + layer.previous_first;
            const int sources = layer.previous_size;
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
                // Parts of policy.update_lanes, the last part first, and a narrower last block's
                // last part vector by vector, the last one first: each source's error still
                // gathers the lanes from the last neuron down to the first.
                const int last_part = (width - 1) / policy.update_lanes * policy.update_lanes;
                for (int part = last_part; part >= 0; part -= policy.update_lanes) {
                    const int at = lane + part;
                    if (width - part >= policy.update_lanes) {
                        block_update<policy.update_lanes / lanes, policy.in_pairs>(
                            source_outputs, source_errors, sources, block_weights + part, width, deltas + at,
                            rate_deltas + at, limits + at, std::min(policy.update_lanes, layer.size - at));
                        continue;
                    }
                    for (int vector = width - lanes; vector >= part; vector -= lanes)
                        block_update<1, policy.in_pairs>(source_outputs, source_errors, sources, block_weights + vector,
                                                         width, deltas + lane + vector, rate_deltas + lane + vector,
                                                         limits + lane + vector,
                                                         std::min(lanes, layer.size - lane - vector));
                }
            }
        }
    }
};

#endif
