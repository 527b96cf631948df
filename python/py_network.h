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

class PyNetwork {
public:
    PyNetwork(Network built, Diagnostics noticed, const std::string& source);

    static PyNetwork from_file(const py::object& path, const py::object& seed);
    static PyNetwork from_text(const py::object& text, const py::object& seed);
    static PyNetwork from_layers(const py::object& sizes, const py::object& seed, const py::object& threshold,
                                 const py::object& slope_parameter, const py::object& learning_rate,
                                 const py::object& max_weight);

    std::vector<int> layer_sizes() const;
    py::array_t<double> evaluate(const py::object& inputs);
    py::object train(const py::object& source, const py::object& targets, bool want_curve,
                     const py::object& test_share, const py::object& test_seed);
    void load_training(const py::object& path);
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
    // Trains `work` on its patterns in steps with the GIL released, adding to `curve` when one
    // is given; returns the TrainResult. Ctrl-C between two steps sets `interrupted`, with
    // KeyboardInterrupt pending, and ends the run after the last whole pass.
    int run_training(Network& work, TrainingRun& run, LearningCurve* curve, bool& interrupted);

    Network network;
    bool busy = false;
    bool evaluated = false;  // by evaluate(): before it, the neurons hold no evaluation's outputs
    static constexpr int interrupted_result = -2;
    int last_result = -1;  // the TrainResult of the last training, -1 before any, or interrupted_result
    int last_passes = 0;
};

#endif
