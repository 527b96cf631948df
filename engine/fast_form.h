// The fast form of a network whose every computing neuron reads exactly the layer before it,
// in order: outputs and errors in contiguous arrays, each layer's weights in blocks of neurons
// so that several sums advance side by side. Every sum and update keeps the order of the
// neuron-by-neuron form, so results are the same to the last bit. Its layout is in
// fast_form_layout.cpp, its kernels in fast_form_kernels.h (on the vectors of fast_form_lanes.h),
// their choice and entry points in fast_form_dispatch.cpp.
#ifndef ENGINE_FAST_FORM_H
#define ENGINE_FAST_FORM_H

#include "engine/neuron.h"

#include <cstddef>
#include <new>
#include <string>
#include <vector>

// Storage on whole cache lines, so that no vector of weights straddles two of them.
template <typename T>
struct CacheLineAllocator {
    using value_type = T;
    static constexpr std::size_t alignment = 64;
    CacheLineAllocator() = default;
    template <typename U>
    CacheLineAllocator(const CacheLineAllocator<U>&) {}
    T* allocate(std::size_t count)
    {
        return static_cast<T*>(::operator new(count * sizeof(T), std::align_val_t(alignment)));
    }
    void deallocate(T* pointer, std::size_t) { ::operator delete(pointer, std::align_val_t(alignment)); }
    bool operator==(const CacheLineAllocator&) const { return true; }
    bool operator!=(const CacheLineAllocator&) const { return false; }
};

class FastForm {
public:
    // Rows that evaluate_group computes side by side.
    static constexpr int group_rows = 4;

    // Takes the fast form of the network when every computing layer is dense; otherwise the
    // form stays inactive and the network computes neuron by neuron.
    void build(const std::vector<Neuron>& neurons, const std::vector<int>& layer_sizes);
    bool active() const { return active_form; }

    // Takes the neurons' thresholds, slopes, learning rates and weight limits for the calls
    // below, which read them from here instead of from the neurons; once, until
    // parameters_changed is called.
    void load_parameters(const std::vector<Neuron>& neurons);
    void parameters_changed() { parameters_loaded = false; }
    // Whether train_pattern moves the loaded thresholds too, each neuron's after its weights,
    // as Neuron::back_propagate(true) does; store_weights then stores them as well.
    void learn_thresholds(bool learn) { thresholds_learned = learn; }

    // Evaluates up to group_rows rows side by side, row r from the inputs at rows[r], into
    // a store of their own; the network's state stays as it was.
    void evaluate_group(const double* const* rows, int row_count);
    // The output layer's values of one row of the last group.
    const double* group_outputs(int row) const
    {
        return group_values.data() + static_cast<std::size_t>(row + 1) * outputs.size() - layers.back().size;
    }
    // Evaluates one pattern and makes one back-propagation step towards its expected outputs,
    // leaving the neurons' own outputs as they were.
    void train_pattern(const double* inputs, const double* expected_outputs);

    // The calls that keep the two forms in step: each changes the state of both, or hands
    // what only this form changed back to the neurons.
    // The input values, into the input neurons and into this form.
    void take_inputs(const std::vector<double>& values, std::vector<Neuron>& neurons);
    // Computes every computing neuron, layer by layer, into the neurons' outputs as well.
    void evaluate(std::vector<Neuron>& neurons);
    // Makes one row of the last group the state of the network and of its neurons.
    void keep_group_row(int row, std::vector<Neuron>& neurons);
    // Copies the outputs of the last trained pattern, or the weights (and learned thresholds)
    // changed by training, back into the neurons.
    void store_outputs(std::vector<Neuron>& neurons) const;
    void store_weights(std::vector<Neuron>& neurons) const;

    // The kernel sets this machine can run, "baseline" first. Every set gives the same bits;
    // the fastest one runs unless the environment variable NC_ENGINE_KERNELS, read once,
    // names another.
    static std::vector<std::string> available_kernels();
    // Every kernel set this build holds, whether this machine runs it or not: the tests
    // name the ones it cannot run as skipped.
    static std::vector<std::string> built_kernels();
    // Makes every dense network use the named kernel set from now on; false, changing
    // nothing, when this machine cannot run it. For tests and benchmarks.
    static bool select_kernels(const std::string& name);
    static std::string selected_kernels();
    // The engine's exp of `count` arguments, four at a time on the chosen kernel set's
    // vectors: the same bits as engine_exp of each. For tests.
    static void exponentials(const double* arguments, double* results, std::size_t count);

    // The shape the layout gives the kernels: doubles in one vector; the blocks of neurons
    // whose sums advance together, from one vector to the widest; and the part of a block
    // that one pass of a row's sums, or one call of the update kernel, takes at most.
    static constexpr int lanes = 4;
    static constexpr int narrowest_block = 4;
    static constexpr int widest_block = 32;
    static constexpr int part_width = 16;

private:
    struct Layer;
    struct Kernels;   // fast_form_kernels.h
    struct Dispatch;  // fast_form_dispatch.cpp

    // What one kernel set's instructions favour. Every kernel that depends on it takes the
    // set's policy whole, as `policy`, and reads these fields by these names.
    struct Policy {
        // Parts of part_width neurons whose sums one row advances in one pass over the inputs:
        // four vectors of sums each, as many as the set's vector registers hold beside the input
        // and the products.
        int row_parts;
        // Whether the set's vectors of four lanes are pairs of registers, which a compiler
        // would compare lane by lane.
        bool in_pairs;
        // The lanes of a wide block that one call of the update kernel takes, whose deltas,
        // rate deltas and limits stay in registers.
        int update_lanes;
        // The row sums of a wide layer compiled for the set apart from its entry points, which
        // small networks' calls then spend less on.
        void (*row_sums)(const Layer& layer, const double* inputs, const double* layer_weights, double* sums);
    };

    struct Layer {
        int first;           // position of the layer's first neuron
        int size;
        int previous_first;  // position of the previous layer's first neuron
        int previous_size;
        int block;                   // neurons whose sums advance together: 4, 8, 16 or 32
        int blocks;                  // blocks of the layer
        // The last block's width in the weights: its neurons rounded up to a vector, so that
        // the weights hold few unused lanes. The lane arrays pad every block to `block`.
        int last_block;
        std::size_t weights_offset;  // start of this layer's blocks in `weights`
        std::size_t lane_offset;     // start of this layer's padded lanes in the lane arrays

        // The distance between two sources' weights in block b, and where the block starts.
        int width(int b) const { return b + 1 == blocks ? last_block : block; }
        std::size_t block_start(int b) const
        {
            return static_cast<std::size_t>(b) * static_cast<std::size_t>(previous_size) * block;
        }
    };

    static std::size_t weight_index(const Layer& layer, int neuron, int source);
    // The outputs from neuron `first` on into the neurons.
    void copy_outputs(std::size_t first, std::vector<Neuron>& neurons) const
    {
        Neuron* to = neurons.data();
        for (std::size_t i = first; i < outputs.size(); ++i)
            to[i].output = outputs[i];
    }

    bool active_form = false;
    bool parameters_loaded = false;
    bool thresholds_learned = false;
    bool narrow_layers_only = false;  // every layer one block of four lanes
    std::vector<Layer> layers;
    // Per block of neurons: for each source, one weight per neuron; a layer's last block is
    // padded with unused lanes.
    std::vector<double, CacheLineAllocator<double>> weights;
    std::vector<double> outputs;  // per neuron
    std::vector<double> errors;   // per neuron; input neurons' errors are never gathered
    std::vector<double> sums;     // the sums of one block for each row of a group
    std::vector<double> group_values;  // per row of a group, per neuron
    // Per padded lane of each layer: loaded parameters, and one step's deltas; padded lanes
    // stay 0.
    std::vector<double> thresholds;
    std::vector<double> slopes;
    std::vector<double> rates;
    std::vector<double> limits;
    std::vector<double> deltas;
    std::vector<double> rate_deltas;
};

#endif
