// The neural-network engine: a layered feed-forward network, its evaluation, online
// back-propagation, random completion of missing weights, and the plain-text network
// file (two readers, one writer). The engine never prints, never throws for bad input,
// and never depends on the graphics library.
#ifndef ENGINE_NETWORK_H
#define ENGINE_NETWORK_H

#include "engine/dense_layers.h"
#include "engine/neuron.h"

#include <iosfwd>
#include <string_view>
#include <vector>

struct Diagnostics;
class LineSource;
class RandomSource;

// One training example: one value per input neuron, one expected value per output neuron.
struct TrainingPattern {
    std::vector<double> inputs;
    std::vector<double> expected_outputs;
};

// Results of Network::train.
enum TrainResult { Converged = 0, IterationLimit = 1, NoUsablePatterns = 2 };

// A feed-forward network: neurons numbered from 0, the input layer first and the output
// layer last; every connection leads from the layer just before its neuron's layer.
class Network {
public:
    // Largest network a file may describe, counted before anything is allocated for it.
    // A file that asks for more is refused as a whole and gives an empty network.
    static constexpr int max_neuron_count = 1000000;
    static constexpr long long max_connection_count = 30000000;
    // Largest training material one read of a training section stores; further "pattern:"
    // records are counted as bad and dropped.
    static constexpr int max_pattern_count = 1000000;
    static constexpr long long max_pattern_value_count = 50000000;

    // Builds the network described by a network file and completes its missing weights at
    // random; empty when the name is null, the file cannot be opened or it is refused.
    // What the reader noticed goes to `diagnostics` when one is given.
    explicit Network(const char* file_name, Diagnostics* diagnostics = nullptr);
    // The network the constructor builds from a file holding `text`, with the same
    // diagnostics and the same time-seeded random completion.
    static Network from_text(std::string_view text, Diagnostics* diagnostics = nullptr);
    Network(const Network& other);
    Network(Network&& other) noexcept;
    Network& operator=(const Network& other);
    Network& operator=(Network&& other) noexcept;
    ~Network() = default;

    double error_limit = 0.1;   // largest accepted |expected - computed| in training
    int max_iterations = 20000; // limit on training passes
    int iterations_done = 0;    // training passes made by the last training run

    // Layer sizes are never below 0: the reader refuses a negative input layer and keeps no
    // computing layer of 0 neurons or fewer.
    int input_count() const;   // first layer size; 0 without layers
    int output_count() const;  // last layer size; 0 without layers
    int layer_count() const;
    int layer_size(int layer) const;  // 0 <= layer < layer_count()
    int neuron_count() const;
    int pattern_count() const;
    const TrainingPattern& pattern(int index) const;  // 0 <= index < pattern_count()
    const Neuron& neuron(int position) const;  // 0 <= position < neuron_count()

    // Parameters of neuron 0, standing for the whole network; 0.0 without neurons.
    double threshold() const;
    double slope_parameter() const;
    double learning_rate() const;
    double max_weight() const;

    // Each sets the parameter of every neuron the network holds now.
    void set_threshold_all(double value);
    void set_slope_parameter_all(double value);
    void set_learning_rate_all(double value);
    void set_max_weight_all(double value);

    void add_pattern(const TrainingPattern& pattern);
    void clear_patterns();
    // True when every pattern has input_count() inputs and output_count() expected outputs.
    bool patterns_fit() const;

    // Places one value on each input neuron; false, changing nothing, when the list does
    // not have exactly input_count() entries.
    bool set_inputs(const std::vector<double>& values);
    // Computes every neuron once, in list order. Allocates nothing.
    void evaluate();
    // Copies the output neurons' outputs into `values`, resizing it only when its size differs.
    void get_outputs(std::vector<double>& values) const;

    // Online back-propagation on the training records of the named file, or on the patterns
    // already held when the name is null. Returns a TrainResult value.
    int train(const char* file_name, Diagnostics* diagnostics = nullptr);

    // Gives every computing neuron one connection from each neuron of the layer before,
    // adding the missing ones with weights drawn evenly from -max_weight to +max_weight.
    // Without a seed the draws start from the current time; the same seed gives the same
    // weights on every run and every platform.
    void fill_random_weights();
    void fill_random_weights(unsigned seed);

    // Reads the network records of a file into this network (used by the constructor on an
    // empty network). Refuses a structurally broken or oversized network, leaving it empty.
    void read_network_section(const char* file_name, Diagnostics* diagnostics = nullptr);
    // Reads the training records of a file: appends its patterns and sets the training
    // parameters. Returns 1 when the file cannot be opened, else the number of bad tokens.
    int read_training_section(const char* file_name, Diagnostics* diagnostics = nullptr);
    // The same on the text of a file held in memory; returns the number of bad tokens.
    int read_training_text(std::string_view text, Diagnostics* diagnostics = nullptr);
    // Writes the network records in the canonical layout; silently does nothing when the
    // file cannot be created.
    void write_network_file(const char* file_name) const;
    // Writes the same bytes to `out`; false when the stream has failed by the end.
    bool write_network(std::ostream& out) const;

private:
    Network() = default;
    void point_neurons_here();
    void leave_empty() noexcept;
    void refuse_network();
    void read_network_file(const char* file_name, Diagnostics* diagnostics);
    void complete_after_reading(Diagnostics* diagnostics);
    void read_network_records(LineSource& lines, Diagnostics* diagnostics);
    void read_network_lines(LineSource& lines, Diagnostics* diagnostics);
    int read_training_records(LineSource& lines, Diagnostics* diagnostics);
    void complete_weights(RandomSource& random);

    std::vector<Neuron> neurons;
    std::vector<int> layer_sizes;
    std::vector<TrainingPattern> patterns;
    DenseLayers dense;  // the fast form, kept in step with the neurons' structure
};

#endif
