// The fast form of a network whose every computing neuron reads exactly the layer before it,
// in order: outputs and errors in contiguous arrays, each layer's weights in blocks of neurons
// so that several sums advance side by side. Every sum and update keeps the order of the
// neuron-by-neuron form, so results are the same to the last bit.
#ifndef ENGINE_DENSE_LAYERS_H
#define ENGINE_DENSE_LAYERS_H

#include <cstddef>
#include <string>
#include <vector>

class Neuron;

class DenseLayers {
public:
    // Takes the fast form of the network when every computing layer is dense; otherwise the
    // form stays inactive and the network computes neuron by neuron.
    void build(const std::vector<Neuron>& neurons, const std::vector<int>& layer_sizes);
    bool active() const { return active_form; }

    // The outputs of all neurons, in neuron order; the first ones take the input values.
    double* neuron_outputs() { return outputs.data(); }
    const double* neuron_outputs() const { return outputs.data(); }
    void set_error(int position, double value) { errors[static_cast<std::size_t>(position)] = value; }

    // Computes every computing neuron, layer by layer, into the neurons' outputs as well.
    void evaluate(std::vector<Neuron>& neurons);
    // One back-propagation step over all neurons, from the errors set on the output layer.
    void back_propagate(const std::vector<Neuron>& neurons);
    // Copies the weights, changed by training, back into the neurons' connections.
    void store_weights(std::vector<Neuron>& neurons) const;

    // The kernel sets this machine can run, "baseline" first. Every set gives the same bits;
    // the fastest one runs unless the environment variable NC_ENGINE_KERNELS, read once,
    // names another.
    static std::vector<std::string> available_kernels();
    // Makes every dense network use the named kernel set from now on; false, changing
    // nothing, when this machine cannot run it. For tests and benchmarks.
    static bool select_kernels(const std::string& name);
    static std::string selected_kernels();

private:
    struct Kernels;
    struct Layer {
        int first;           // position of the layer's first neuron
        int size;
        int previous_first;  // position of the previous layer's first neuron
        int previous_size;
        int block;                   // neurons whose sums advance together: 4, 8 or 16
        int blocks;                  // blocks of the layer, the last one padded
        std::size_t weights_offset;  // start of this layer's blocks in `weights`
    };

    static std::size_t weight_index(const Layer& layer, int neuron, int source);

    bool active_form = false;
    std::vector<Layer> layers;
    // Per block of neurons: for each source, one weight per neuron; a layer's last block is
    // padded with unused lanes.
    std::vector<double> weights;
    std::vector<double> outputs;  // per neuron
    std::vector<double> errors;   // per neuron; input neurons' errors are never gathered
    std::vector<double> scratch;  // a block's sums, or a layer's deltas, rates and limits
};

#endif
