/// @file
/// The neural-network engine: a layered feed-forward network, its evaluation, online
/// back-propagation, random completion of missing weights, and the plain-text network
/// file (two readers, one writer). The engine never prints, never throws for bad input,
/// and never depends on the graphics library.
#ifndef ENGINE_NETWORK_H
#define ENGINE_NETWORK_H

// Siblings by their own names, so that the installed headers find each other too.
#include "export.h"
#include "neuron.h"

#include <cstdint>
#include <iosfwd>
#include <memory>
#include <string_view>
#include <vector>

class FastForm;
struct Diagnostics;
class LineSource;
struct ParameterRecord;
struct TrainingParameterRecords;

/// One training example: one value per input neuron, one expected value per output neuron.
struct TrainingPattern {
    std::vector<double> inputs;            ///< one value per input neuron, in neuron order
    std::vector<double> expected_outputs;  ///< one value per output neuron, in neuron order
};

/// Results of Network::train.
enum TrainResult {
    Converged = 0,        ///< every output of every pattern lies within the error limit
    IterationLimit = 1,   ///< max_iterations passes were made before that
    NoUsablePatterns = 2  ///< bad training records, or patterns that do not fit the network
};

/// A feed-forward network: neurons numbered from 0, the input layer first and the output
/// layer last; every connection leads from the layer just before its neuron's layer.
///
/// Copies are deep and independent. A network is used by one thread at a time.
class NC_API Network {
public:
    /// Largest number of neurons a file may describe, counted before anything is allocated
    /// for it. A file that asks for more is refused as a whole and gives an empty network.
    static constexpr int max_neuron_count = 1000000;
    /// Largest number of connections a file may describe, the missing ones included.
    static constexpr long long max_connection_count = 30000000;
    /// Largest number of patterns one read of a training section stores; further "pattern:"
    /// records are counted as bad and dropped.
    static constexpr int max_pattern_count = 1000000;
    /// Largest number of pattern values one read of a training section stores.
    static constexpr long long max_pattern_value_count = 50000000;

    /// Builds the network described by a network file and completes its missing weights at
    /// random; empty when the name is null, the file cannot be opened or it is refused.
    /// What the reader noticed goes to `diagnostics` when one is given.
    explicit Network(const char* file_name, Diagnostics* diagnostics = nullptr);
    /// The network the constructor builds from a file holding `text`, with the same
    /// diagnostics and the same time-seeded random completion.
    static Network from_text(std::string_view text, Diagnostics* diagnostics = nullptr);
    /// The network the constructor builds from a file, with its missing weights drawn from
    /// `seed` instead of the clock: the same seed gives the same network on every run and
    /// every platform. Every seed from 0 to 4294967295 gives its own draws. A completion that
    /// does not fit in memory leaves the network empty with an OutOfMemory diagnostic.
    static Network from_file(const char* file_name, unsigned seed, Diagnostics* diagnostics = nullptr);
    /// The same on the text of a file held in memory. (A seed of 0 is written 0u, as a plain 0
    /// could also be the null diagnostics of the other from_text.)
    static Network from_text(std::string_view text, unsigned seed, Diagnostics* diagnostics = nullptr);
    /// A network of these layer sizes, the input layer first: every computing neuron has one
    /// connection from each neuron of the layer before, and every neuron has `parameters`. Its
    /// weights are drawn from `seed` (the same seed gives the same network on every platform)
    /// evenly from -r to +r, r = starting_weight_limit(fan_in, fan_out, slope parameter) for
    /// the neuron's layer, at most |max_weight|. Empty, with the reason in `diagnostics` when
    /// one is given, for fewer than two sizes, a size below 1, layers beyond max_neuron_count
    /// neurons or max_connection_count connections, or a parameter that is not a finite
    /// number; empty with an OutOfMemory diagnostic when the network does not fit in memory.
    static Network from_layers(const std::vector<int>& sizes, unsigned seed, const NeuronParameters& parameters,
                               Diagnostics* diagnostics = nullptr);
    /// The same with the neurons' default parameters.
    static Network from_layers(const std::vector<int>& sizes, unsigned seed, Diagnostics* diagnostics = nullptr);
    /// The range of from_layers' starting weights for a layer of `fan_out` neurons after one
    /// of `fan_in`, both 1 or more, whose neurons have the slope parameter s:
    /// 2 * sqrt(6 / (fan_in + fan_out)) / s^2, infinite for s = 0. At the default s = 0.5 this
    /// is 8 * sqrt(6 / (fan_in + fan_out)), Glorot's range for the logistic function doubled
    /// for the slope that halves the logistic's gradient. A steeper slope both multiplies the
    /// logistic's argument by s and speeds its learning by s^2, so the range shrinks with the
    /// square: at s = 2, exclusive-or's 2-2-1 starts from about +-0.6 and converges from 46 of
    /// 50 seeds, where a range shrinking only with s leaves 21 of them stuck.
    static double starting_weight_limit(int fan_in, int fan_out,
                                        double slope_parameter = NeuronParameters{}.slope_parameter);
    /// A deep copy: its own neurons, connections and patterns.
    Network(const Network& other);
    /// Takes over the neurons of `other`, which is left empty.
    Network(Network&& other) noexcept;
    /// Replaces everything this network holds by a deep copy of `other`.
    Network& operator=(const Network& other);
    /// Replaces everything this network holds by the neurons of `other`, which is left empty.
    Network& operator=(Network&& other) noexcept;
    ~Network();

    double error_limit = 0.1;    ///< largest accepted |expected - computed| in training
    int max_iterations = 20000;  ///< limit on training passes
    int iterations_done = 0;     ///< training passes made by the last training run
    /// When true, training moves each computing neuron's threshold with its weights, as a
    /// bias (Neuron::back_propagate); false, the default, trains weights only. The training
    /// record "learn_thresholds: 1" sets it.
    bool learn_thresholds = false;
    /// The share of the patterns a lesson holds out of training (TrainingRun's `share`); the
    /// training record "test_share:" sets it and write_lesson writes it. Nothing in the
    /// engine trains with it unless asked (TrainingRun(const Network&)).
    double held_out_share = 0.0;
    /// The seed that picks the held-out patterns, from the record "test_seed:".
    std::uint32_t held_out_seed = 0;

    // Layer sizes are never below 0: the reader refuses a negative input layer and keeps no
    // computing layer of 0 neurons or fewer.
    int input_count() const;   ///< first layer size; 0 without layers
    int output_count() const;  ///< last layer size; 0 without layers
    int layer_count() const;   ///< number of layers, the input layer included; 0 when empty
    int layer_size(int layer) const;  ///< neurons of a layer, for 0 <= layer < layer_count()
    int neuron_count() const;          ///< number of neurons; 0 for an empty network
    long long connection_count() const;  ///< connections of all neurons together
    /// True when every connection's weight is a finite number, as the network file needs:
    /// training can make weights infinite or not numbers, which no file can hold.
    bool weights_are_finite() const;
    int pattern_count() const;         ///< number of training patterns held
    const TrainingPattern& pattern(int index) const;  ///< for 0 <= index < pattern_count()
    /// The neuron at a position of the list, for 0 <= position < neuron_count(): its output,
    /// its parameters and its incoming connections.
    const Neuron& neuron(int position) const;

    // Parameters of neuron 0, standing for the whole network; 0.0 without neurons.
    double threshold() const;        ///< threshold of the neurons; 0.0 without neurons
    double slope_parameter() const;  ///< slope parameter of the neurons; 0.0 without neurons
    double learning_rate() const;    ///< learning rate of the neurons; 0.0 without neurons
    double max_weight() const;       ///< weight limit of the neurons; 0.0 without neurons

    // Each sets the parameter of every neuron the network holds now.
    void set_threshold_all(double value);        ///< sets every neuron's threshold
    void set_slope_parameter_all(double value);  ///< sets every neuron's slope parameter
    void set_learning_rate_all(double value);    ///< sets every neuron's learning rate
    void set_max_weight_all(double value);       ///< sets every neuron's weight limit
    /// Replaces the weight of every connection, neuron by neuron in list order and each
    /// neuron's in connection order, as given, unclamped. False, changing nothing, when
    /// `weights` does not hold one value per connection; false with the network refused and
    /// left empty when its fast form no longer fits in memory.
    bool set_weights(const std::vector<double>& weights);

    void add_pattern(const TrainingPattern& pattern);  ///< appends a copy of a pattern
    void clear_patterns();                             ///< removes every pattern
    /// True when every pattern has input_count() inputs and output_count() expected outputs.
    bool patterns_fit() const;

    /// Places one value on each input neuron; false, changing nothing, when the list does
    /// not have exactly input_count() entries.
    bool set_inputs(const std::vector<double>& values);
    /// Computes every neuron once, in list order. Allocates nothing.
    void evaluate();
    /// Copies the output neurons' outputs into `values`, resizing it only when its size differs.
    void get_outputs(std::vector<double>& values) const;
    /// Evaluates `row_count` rows of input_count() values, stored one after another, into as
    /// many rows of output_count() values, each exactly as set_inputs + evaluate + get_outputs
    /// would, and keeps the last row's state; false, doing nothing, for a negative count or a
    /// missing buffer that would be used. Allocates nothing.
    bool evaluate_batch(const double* inputs, double* outputs, int row_count);

    /// Online back-propagation on the training records of the named file, or on the patterns
    /// already held when the name is null. Returns a TrainResult value; iterations_done
    /// tells the passes made. One TrainingRun (training_run.h) step of max_iterations passes:
    /// a TrainingRun gives the same weights a few passes at a time.
    int train(const char* file_name, Diagnostics* diagnostics = nullptr);

    /// Gives every computing neuron one connection from each neuron of the layer before,
    /// adding the missing ones with weights drawn evenly from -max_weight to +max_weight.
    /// False when the completion does not fit in memory: the network is then refused and
    /// left empty. The draws start from the current time.
    bool fill_random_weights();
    /// The same with draws from `seed`: the same seed gives the same weights on every run
    /// and every platform, and every seed its own weights.
    bool fill_random_weights(unsigned seed);

    /// Reads the network records of a file into this network, replacing the network it held
    /// (its patterns and training parameters stay). Refuses a structurally broken or
    /// oversized network, leaving it empty, as it does when the network or one of its lines
    /// does not fit in memory. Missing weights stay missing (fill_random_weights adds them);
    /// from_file builds a complete network in one call.
    void read_network_section(const char* file_name, Diagnostics* diagnostics = nullptr);
    /// The same on the text of a file held in memory.
    void read_network_text(std::string_view text, Diagnostics* diagnostics = nullptr);
    /// Reads the training records of a file: appends its patterns and sets the training
    /// parameters. Returns 1 when the file cannot be opened, else the number of bad tokens;
    /// a line that cannot be read or held in memory ends the reading and counts as one.
    int read_training_section(const char* file_name, Diagnostics* diagnostics = nullptr);
    /// The same on the text of a file held in memory; returns the number of bad tokens.
    int read_training_text(std::string_view text, Diagnostics* diagnostics = nullptr);
    /// Writes the network records in the canonical layout. False when the name is null, the
    /// file cannot be created or written, or a weight is not a finite number (see
    /// write_network); in that last case the file is not opened and stays as it was.
    bool write_network_file(const char* file_name) const;
    /// Writes the same bytes to `out`; false when the stream has failed by the end. False,
    /// writing nothing, when a weight is not a finite number (weights_are_finite): the
    /// readers would take its "nan" or "inf" for a missing weight and draw one at random.
    bool write_network(std::ostream& out) const;
    /// Writes a lesson to `out`: the network records as write_network writes them, save that a
    /// real far below 1 gets the decimals past the 17th that it needs to read back as the same
    /// double; then the patterns and the training parameters (error limit, iteration limit,
    /// learning rate, learned thresholds, held-out share and seed) as training records, every
    /// real in the shortest text that reads back as the same double. Both readers read it back as it
    /// stands. False, writing nothing, when a weight, a pattern value or a parameter is not a
    /// finite number; else false when the stream has failed by the end.
    bool write_lesson(std::ostream& out) const;
    /// True when write_lesson can write this network: every weight, pattern value, error limit,
    /// learning rate and held-out share a finite number.
    bool lesson_is_finite() const;

private:
    Network() = default;
    // write_network's records; `exact`, with every real read back as the same double.
    bool write_network_records(std::ostream& out, bool exact) const;
    NC_LOCAL void point_neurons_here();
    NC_LOCAL void leave_empty() noexcept;
    NC_LOCAL void refuse_network();
    NC_LOCAL void refuse_for_memory(int line, Diagnostics* diagnostics);
    NC_LOCAL void read_network_file(const char* file_name, Diagnostics* diagnostics);
    NC_LOCAL void complete_after_reading(unsigned seed, Diagnostics* diagnostics);
    NC_LOCAL bool complete_weights(unsigned seed);
    NC_LOCAL void add_missing_weights(unsigned seed);
    NC_LOCAL void add_drawn_layers(const std::vector<int>& sizes, unsigned seed, const NeuronParameters& parameters);
    NC_LOCAL void build_fast_form(Diagnostics* diagnostics);
    NC_LOCAL void make_fast_form();
    NC_LOCAL bool fast_form_active() const;
    NC_LOCAL void parameters_changed();
    NC_LOCAL void read_network_records(LineSource& lines, Diagnostics* diagnostics);
    NC_LOCAL void read_network_lines(LineSource& lines, Diagnostics* diagnostics, ParameterRecord& slope);
    NC_LOCAL int read_training_records(LineSource& lines, Diagnostics* diagnostics);
    NC_LOCAL void read_training_lines(LineSource& lines, Diagnostics* diagnostics, int& bad_tokens,
                                      TrainingParameterRecords& records);
    // The network reader's state between records and its reading of each kind of record.
    struct NetworkReading;
    // At most `passes` passes on `trained`, patterns that fit (the network's own, or the run's
    // share of them); `made` tells how many. TrainingRun keeps the count of a whole run, the
    // pass limit and `outputs`, the neuron-by-neuron passes' scratch row, so that a run's later
    // steps allocate nothing.
    NC_LOCAL int train_passes(int passes, int& made, std::vector<double>& outputs,
                              const std::vector<TrainingPattern>& trained);
    friend class TrainingRun;

    std::vector<Neuron> neurons;
    std::vector<int> layer_sizes;
    std::vector<TrainingPattern> patterns;
    // The fast form, kept in step with the neurons' structure; none before the first build
    // and after a move.
    std::unique_ptr<FastForm> fast_form;
};

#endif
