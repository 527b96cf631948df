// PyNetwork: the engine's Network as Python sees it, with what the engine noticed on the last
// file it read. Every call that raises leaves the network as it was, but for Ctrl-C in
// training, which keeps the weights of the last whole pass.
#ifndef PYTHON_PY_NETWORK_H
#define PYTHON_PY_NETWORK_H

#include "python/python_arguments.h"

#include "engine/diagnostics.h"
#include "engine/network.h"

#include <string>
#include <vector>

// "line N: message", or the message alone for the file as a whole.
std::string describe(const Diagnostic& diagnostic);
// "<what>: <the first reasons noticed>", or "<what>: <fallback>" when none were.
std::string refusal(const std::string& what, const Diagnostics& diagnostics, const std::string& fallback);
// Raises that refusal: MemoryError when the engine ran out of memory, else NetworkFileError.
// Issues each warning among `diagnostics` as a NetworkFileWarning: "SOURCE: line N: message".
void warn_about(const std::string& source, const Diagnostics& diagnostics);
[[noreturn]] void raise_refusal(const std::string& what, const Diagnostics& diagnostics, const std::string& fallback);
// ValueError unless a row of `what` ("inputs" or "targets") holds `expected` values.
void require_columns(py::ssize_t given, int expected, const char* what);

class LearningCurve;
class TrainingRun;

// ValueError for a training parameter a file or a setter left where training cannot use it.
void require_training_parameters(const Network& work);
// The share of test_share: a number from 0 to max_held_out_share; ValueError otherwise.
double share_argument(const py::object& value);
// ValueError for more rows of patterns than `work` can hold, checked before they are copied.
void require_pattern_room(const Network& work, py::ssize_t rows);
// Rows of inputs and of expected outputs as patterns of `work`, in `order` (row indices) or,
// when it is empty, as given; ValueError for values that are not finite. The arrays' shapes
// and room are the caller's to check.
void set_array_patterns(Network& work, const Array& inputs, const Array& expected, py::ssize_t rows,
                        const std::vector<int>& order);

// How a training run ended: all its passes made, Ctrl-C (KeyboardInterrupt pending), or
// stopped by its callback.
enum class RunEnd { finished, interrupted, stopped };

// The reports of a run between its steps: every `every` passes, and at its end, `callback`
// gets a FitStep (made by `step_type`) with the errors measured; returning False stops the run.
struct StepReports {
    py::object callback;
    int every = 1;
    py::object step_type;
};

// from_layers' training parameters, as Python gave them (None: the engine's defaults).
struct TrainingOptions {
    py::object error_limit, max_iterations, learn_thresholds;
};

// fit's arguments but X and y, as Python gave them (None: left as they are).
struct FitOptions {
    py::object epochs, seed, test_share, callback, callback_every;
    py::object learning_rate, error_limit, max_weight, learn_thresholds;
    bool shuffle = true;
    bool curve = false;
};

class PyNetwork {
public:
    PyNetwork(Network built, Diagnostics noticed, const std::string& source);

    static PyNetwork from_file(const py::object& path, const py::object& seed);
    static PyNetwork from_text(const py::object& text, const py::object& seed);
    static PyNetwork from_layers(const py::object& sizes, const py::object& seed, const py::object& threshold,
                                 const py::object& slope_parameter, const py::object& learning_rate,
                                 const py::object& max_weight, const TrainingOptions& training);

    std::vector<int> layer_sizes() const;
    py::array_t<double> evaluate(const py::object& inputs);
    py::object train(const py::object& source, const py::object& targets, bool want_curve,
                     const py::object& test_share, const py::object& test_seed);
    void load_training(const py::object& path);
    // The estimator's calls (py_estimator.cpp): training on class labels or targets in 0..1,
    // shuffled rows, and what the outputs predict.
    void fit(const py::object& inputs, const py::object& labels, const FitOptions& options);
    py::array_t<double> predict_proba(const py::object& inputs);
    py::array_t<long long> predict(const py::object& inputs);
    double score(const py::object& inputs, const py::object& labels);
    void set_weights(const py::list& weights);
    // What pickle keeps: the lesson text and the last run.
    py::tuple state() const;
    static PyNetwork from_state(const py::tuple& state);
    // The last training run: a TrainingRun or TrainingRunWithCurve, None before any.
    py::object last_run = py::none();
    py::tuple patterns() const;
    void write(const py::object& path, bool nearest, bool training) const;
    std::string text(bool nearest, bool training) const;
    py::list weights() const;
    py::list thresholds() const;
    std::string repr() const;
    std::string svg();

    void set_error_limit(const py::object& value);
    void set_max_iterations(const py::object& value);
    void set_learn_thresholds(bool learn);
    void set_learning_rate(const py::object& value);
    void set_max_weight(const py::object& value);
    void set_threshold(const py::object& value);
    void set_slope_parameter(const py::object& value);

    // The network for reading; RuntimeError while another thread trains or evaluates it.
    const Network& idle() const;

    Diagnostics diagnostics;

private:
    // Marks the network busy while the GIL is released around work on it.
    class Busy {
    public:
        explicit Busy(PyNetwork& owner);
        ~Busy();
        Busy(const Busy&) = delete;
        Busy& operator=(const Busy&) = delete;

    private:
        PyNetwork& owner;
    };

    // The patterns and training parameters `source` gives `work`: those held (None), a
    // network file's training records or a CSV table's rows (a path), or two arrays.
    void take_training(Network& work, const py::object& source, const py::object& targets);
    void read_training_file(Network& work, const py::object& path);
    // The file text of the network, or of the nearest network the format can hold; ValueError
    // naming what the format cannot hold when `nearest` is false.
    std::string file_text(bool nearest, bool training) const;
    std::string patterns_misfit() const;
    // Trains `work` on its patterns in steps with the GIL released, adding to `curve` and
    // calling back `reports` when given; returns the TrainResult. Ctrl-C between two steps (or
    // KeyboardInterrupt from the callback) ends the run after the last whole pass, with
    // KeyboardInterrupt pending; other exceptions of the callback propagate.
    int run_training(Network& work, TrainingRun& run, LearningCurve* curve, const StepReports* reports,
                     RunEnd& end);
    // Ends a run: keeps `work` and records the run in last_run (after Ctrl-C, the last whole
    // pass, then raises KeyboardInterrupt); FloatingPointError, keeping nothing, for weights
    // or outputs that stopped being numbers. Returns last_run.
    py::object finish_training(Network& work, int result, const LearningCurve* curve, RunEnd end);

    Network network;
    bool busy = false;
    bool evaluated = false;  // by evaluate(): before it, the neurons hold no evaluation's outputs
    static constexpr int interrupted_result = -2;
    static constexpr int stopped_result = -3;
    // The TrainResult of the last training, -1 before any, interrupted_result or stopped_result.
    int last_result = -1;
    int last_passes = 0;
};

#endif
