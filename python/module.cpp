// The extension module neural_creatures._engine: the engine's Network for Python scripts, with
// NumPy arrays for inputs, outputs, weights and thresholds, and Python exceptions for what the
// engine reports through its results and diagnostics.
//   paths and exceptions  - OSError and NetworkFileError from what the engine reports
//   PyNetwork             - the Network with its diagnostics, converting arrays both ways
//   PYBIND11_MODULE       - the names, docstrings and properties Python sees
#include "file_system/atomic_file.h"
#include "engine/diagnostics.h"
#include "engine/network.h"

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <limits>
#include <sstream>
#include <stdexcept>
#include <string>
#include <sys/stat.h>
#include <utility>
#include <vector>

namespace py = pybind11;

namespace {

using Array = py::array_t<double, py::array::c_style | py::array::forcecast>;

// A network file, a training file or a text that the engine cannot use; becomes
// neural_creatures.NetworkFileError, a ValueError.
class FileProblem : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Messages of a refusal name at most this many of the engine's diagnostics; all of them stay
// in Network.diagnostics.
constexpr std::size_t max_reasons_in_message = 5;

// The file-system bytes of a str, bytes or os.PathLike path.
std::string path_bytes(const py::object& path)
{
    return py::module_::import("os").attr("fsencode")(path).cast<std::string>();
}

[[noreturn]] void raise_os_error(int error_number, const py::object& path)
{
    errno = error_number;
    PyErr_SetFromErrnoWithFilenameObject(PyExc_OSError, path.ptr());
    throw py::error_already_set();
}

// Raises the OSError subclass Python would (FileNotFoundError, PermissionError,
// IsADirectoryError) for a file that cannot be read; the engine itself only says that it
// could not open it.
void require_readable_file(const std::string& name, const py::object& path)
{
    struct stat status;
    if (stat(name.c_str(), &status) != 0)
        raise_os_error(errno, path);
    if (S_ISDIR(status.st_mode))
        raise_os_error(EISDIR, path);
    std::FILE* file = std::fopen(name.c_str(), "r");
    if (file == nullptr)
        raise_os_error(errno, path);
    std::fclose(file);
}

std::string describe(const Diagnostic& diagnostic)
{
    if (diagnostic.line == 0)
        return diagnostic.message;
    return "line " + std::to_string(diagnostic.line) + ": " + diagnostic.message;
}

// "<what>: <first reasons>", for an exception message.
std::string refusal(const std::string& what, const Diagnostics& diagnostics, const std::string& fallback)
{
    std::string message = what + ": ";
    if (diagnostics.entries.empty())
        return message + fallback;
    const std::size_t shown = std::min(diagnostics.entries.size(), max_reasons_in_message);
    for (std::size_t i = 0; i < shown; ++i)
        message += (i == 0 ? "" : "; ") + describe(diagnostics.entries[i]);
    const std::size_t more = diagnostics.entries.size() - shown + diagnostics.dropped;
    if (more > 0)
        message += "; and " + std::to_string(more) + " more";
    return message;
}

std::string no_patterns(const py::object& path)
{
    return py::str(path).cast<std::string>() + " gives no usable training: it holds no \"pattern:\" records";
}

// A Network with what the engine noticed on the last file or text it read, and the buffers
// that carry values between NumPy arrays and the engine.
class PyNetwork {
public:
    PyNetwork(Network built, Diagnostics noticed, const std::string& source)
        : network(std::move(built)), diagnostics(std::move(noticed))
    {
        if (network.layer_count() == 0)
            throw FileProblem(refusal(source + " holds no usable network", diagnostics, "it has no layers"));
    }

    static PyNetwork from_file(const py::object& path)
    {
        const std::string name = path_bytes(path);
        require_readable_file(name, path);
        Diagnostics noticed;
        Network built(name.c_str(), &noticed);
        return PyNetwork(std::move(built), std::move(noticed), py::str(path).cast<std::string>());
    }

    static PyNetwork from_text(const std::string& text)
    {
        Diagnostics noticed;
        Network built = Network::from_text(text, &noticed);
        return PyNetwork(std::move(built), std::move(noticed), "the text");
    }

    int input_count() const { return network.input_count(); }
    int output_count() const { return network.output_count(); }

    std::vector<int> layer_sizes() const
    {
        std::vector<int> sizes;
        for (int layer = 0; layer < network.layer_count(); ++layer)
            sizes.push_back(network.layer_size(layer));
        return sizes;
    }

    // One row of inputs gives one row of outputs; a 2-D array of rows gives a 2-D array.
    py::array_t<double> evaluate(const Array& inputs)
    {
        const int columns = network.input_count();
        if (inputs.ndim() == 1) {
            require_columns(inputs.shape(0), columns);
            py::array_t<double> outputs(network.output_count());
            network.evaluate_batch(inputs.data(), outputs.mutable_data(), 1);
            return outputs;
        }
        if (inputs.ndim() != 2)
            throw py::value_error("inputs must be one row of values or a 2-D array of rows, not " +
                                  std::to_string(inputs.ndim()) + "-D");
        require_columns(inputs.shape(1), columns);
        const py::ssize_t rows = inputs.shape(0);
        if (rows > std::numeric_limits<int>::max())
            throw py::value_error("at most " + std::to_string(std::numeric_limits<int>::max()) +
                                  " rows can be evaluated at once");
        py::array_t<double> outputs({rows, static_cast<py::ssize_t>(network.output_count())});
        // Rows side by side through the engine's batch: each row exactly as evaluated alone.
        network.evaluate_batch(inputs.data(), outputs.mutable_data(), static_cast<int>(rows));
        return outputs;
    }

    py::tuple train(const py::object& path)
    {
        int result = NoUsablePatterns;
        if (path.is_none()) {
            result = network.train(nullptr);
            if (result == NoUsablePatterns)
                throw FileProblem(patterns_misfit());
        } else {
            const std::string name = path_bytes(path);
            require_readable_file(name, path);
            diagnostics = Diagnostics();
            result = network.train(name.c_str(), &diagnostics);
            if (result == NoUsablePatterns) {
                // Patterns that do not fit would be read past their ends by `patterns`.
                network.clear_patterns();
                throw FileProblem(refusal(py::str(path).cast<std::string>() + " gives no usable training",
                                          diagnostics, patterns_misfit()));
            }
            // The engine calls a list of no patterns converged; from a file it means a mistake.
            if (network.pattern_count() == 0)
                throw FileProblem(no_patterns(path));
        }
        return py::make_tuple(result == Converged ? "converged" : "iteration limit", network.iterations_done);
    }

    // Replaces the patterns with those of a training file and takes its training parameters.
    void load_training(const py::object& path)
    {
        const std::string name = path_bytes(path);
        require_readable_file(name, path);
        Diagnostics noticed;
        network.clear_patterns();
        const int bad = network.read_training_section(name.c_str(), &noticed);
        diagnostics = std::move(noticed);
        if (bad > 0) {
            network.clear_patterns();
            throw FileProblem(refusal(py::str(path).cast<std::string>() + " gives no usable training",
                                      diagnostics, "bad records"));
        }
        if (!network.patterns_fit()) {
            network.clear_patterns();
            throw FileProblem(patterns_misfit());
        }
        if (network.pattern_count() == 0)
            throw FileProblem(no_patterns(path));
    }

    py::tuple patterns() const
    {
        const py::ssize_t count = network.pattern_count();
        py::array_t<double> inputs({count, static_cast<py::ssize_t>(network.input_count())});
        py::array_t<double> expected({count, static_cast<py::ssize_t>(network.output_count())});
        for (py::ssize_t i = 0; i < count; ++i) {
            const TrainingPattern& pattern = network.pattern(static_cast<int>(i));
            std::copy(pattern.inputs.begin(), pattern.inputs.end(), inputs.mutable_data(i, 0));
            std::copy(pattern.expected_outputs.begin(), pattern.expected_outputs.end(),
                      expected.mutable_data(i, 0));
        }
        return py::make_tuple(inputs, expected);
    }

    void write(const py::object& path) const
    {
        std::ostringstream text;
        if (!network.write_network(text))
            throw std::runtime_error("the network could not be written to memory");
        std::string reason;
        if (!write_file_atomically(path_bytes(path), text.str(), reason)) {
            const std::string message = "cannot write " + py::str(path).cast<std::string>() + ": " + reason;
            PyErr_SetString(PyExc_OSError, message.c_str());
            throw py::error_already_set();
        }
    }

    std::string text() const
    {
        std::ostringstream out;
        network.write_network(out);
        return out.str();
    }

    // Per computing layer: rows are its neurons, columns the neurons of the layer before.
    py::list weights() const
    {
        py::list layers;
        for_each_computing_layer([&](int first, int size, int previous_first, int previous_size) {
            py::array_t<double> matrix({static_cast<py::ssize_t>(size), static_cast<py::ssize_t>(previous_size)});
            double* cells = matrix.mutable_data();
            std::fill(cells, cells + static_cast<std::size_t>(size) * previous_size, 0.0);
            for (int j = 0; j < size; ++j) {
                for (const Connection& connection : network.neuron(first + j).connections) {
                    const int column = connection.source - previous_first;
                    if (column >= 0 && column < previous_size)
                        cells[static_cast<std::size_t>(j) * previous_size + column] += connection.weight;
                }
            }
            layers.append(matrix);
        });
        return layers;
    }

    py::list thresholds() const
    {
        py::list layers;
        for_each_computing_layer([&](int first, int size, int, int) {
            py::array_t<double> values(size);
            for (int j = 0; j < size; ++j)
                values.mutable_data()[j] = network.neuron(first + j).threshold;
            layers.append(values);
        });
        return layers;
    }

    Network network;
    Diagnostics diagnostics;

private:
    static void require_columns(py::ssize_t given, int expected)
    {
        if (given != expected)
            throw py::value_error("the network has " + std::to_string(expected) + " inputs; a row holds " +
                                  std::to_string(given) + " values");
    }

    std::string patterns_misfit() const
    {
        return "a pattern does not have " + std::to_string(network.input_count()) + " inputs and " +
               std::to_string(network.output_count()) + " expected outputs";
    }

    template <typename Visit>
    void for_each_computing_layer(Visit visit) const
    {
        int previous_first = 0;
        for (int layer = 1; layer < network.layer_count(); ++layer) {
            const int previous_size = network.layer_size(layer - 1);
            const int first = previous_first + previous_size;
            visit(first, network.layer_size(layer), previous_first, previous_size);
            previous_first = first;
        }
    }
};

}  // namespace

PYBIND11_MODULE(_engine, module)
{
    module.doc() = "The neural-creatures engine: feed-forward networks read from network files, "
                   "evaluated, trained by back-propagation and written back.";
    module.attr("__version__") = NC_VERSION;
    py::register_exception<FileProblem>(module, "NetworkFileError", PyExc_ValueError);

    py::class_<Diagnostic>(module, "Diagnostic", "One thing the engine noticed while reading a file.")
        .def_readonly("line", &Diagnostic::line, "1-based line of the file; 0 for the file as a whole.")
        .def_readonly("message", &Diagnostic::message, "One sentence, without the file name or line.")
        .def("__str__", &describe)
        .def("__repr__", [](const Diagnostic& diagnostic) {
            return "Diagnostic(line=" + std::to_string(diagnostic.line) + ", message=" +
                   py::repr(py::str(diagnostic.message)).cast<std::string>() + ")";
        });

    py::class_<PyNetwork>(module, "Network",
                          "A feed-forward network: an input layer, then layers of computing neurons, the last "
                          "of them the output layer.\n\n"
                          "Weights a file leaves out are drawn at random. Reading a file that holds no usable "
                          "network raises NetworkFileError; a file that cannot be opened raises the matching "
                          "OSError (FileNotFoundError, PermissionError, IsADirectoryError).")
        .def(py::init(&PyNetwork::from_file), py::arg("path"),
             "Reads the network of a network file (str or os.PathLike).")
        .def_static("from_text", &PyNetwork::from_text, py::arg("text"),
                    "Builds the network that a network file holding `text` describes.")
        .def_property_readonly("input_count", &PyNetwork::input_count, "Number of input neurons.")
        .def_property_readonly("output_count", &PyNetwork::output_count, "Number of output neurons.")
        .def_property_readonly("layer_sizes", &PyNetwork::layer_sizes,
                               "Neurons per layer: the input layer first, the output layer last.")
        .def("evaluate", &PyNetwork::evaluate, py::arg("inputs"),
             "Evaluates the network. One row of input_count values gives an array of output_count "
             "outputs; a 2-D array of rows gives one row of outputs per row, computed in one call.")
        .def("train", &PyNetwork::train, py::arg("path") = py::none(),
             "Trains by online back-propagation on the training records of a file, or on the patterns "
             "held when no path is given. Returns (result, passes): result is \"converged\" or "
             "\"iteration limit\". A file with bad training records or none raises NetworkFileError.")
        .def("load_training", &PyNetwork::load_training, py::arg("path"),
             "Replaces the held patterns with those of a training file and takes its error limit, "
             "iteration limit, learning rate and weight limit, without training. A file with bad "
             "training records or none raises NetworkFileError.")
        .def_property_readonly("patterns", &PyNetwork::patterns,
                               "The held training patterns as (inputs, expected_outputs), two 2-D arrays "
                               "with one row per pattern (copies).")
        .def("write", &PyNetwork::write, py::arg("path"),
             "Writes the network as a network file; the file is replaced as a whole or not at all. "
             "Raises OSError when it cannot be written.")
        .def("to_text", &PyNetwork::text, "The network file that write() would write, as a string.")
        .def_property_readonly("weights", &PyNetwork::weights,
                               "Per computing layer, a 2-D array: row j holds the weights into neuron j of "
                               "the layer from each neuron of the layer before (links a file gives twice "
                               "between the same two neurons add up). Copies: changing them leaves the "
                               "network unchanged.")
        .def_property_readonly("thresholds", &PyNetwork::thresholds,
                               "Per computing layer, an array of its neurons' thresholds (copies).")
        .def_property_readonly(
            "diagnostics", [](const PyNetwork& self) { return self.diagnostics.entries; },
            "What the engine noticed on the last file or text it read, as Diagnostic objects with "
            "line numbers.")
        .def_property(
            "error_limit", [](const PyNetwork& self) { return self.network.error_limit; },
            [](PyNetwork& self, double value) { self.network.error_limit = value; },
            "Largest accepted difference between an expected and a computed output in training.")
        .def_property(
            "max_iterations", [](const PyNetwork& self) { return self.network.max_iterations; },
            [](PyNetwork& self, int value) { self.network.max_iterations = value; },
            "Limit on the passes of one training run.")
        .def_property(
            "learning_rate", [](const PyNetwork& self) { return self.network.learning_rate(); },
            [](PyNetwork& self, double value) { self.network.set_learning_rate_all(value); },
            "Factor of every weight change in training.")
        .def_property_readonly(
            "threshold", [](const PyNetwork& self) { return self.network.threshold(); },
            "Threshold shared by the neurons.")
        .def_property_readonly(
            "slope_parameter", [](const PyNetwork& self) { return self.network.slope_parameter(); },
            "Steepness of the neurons' logistic function.")
        .def_property_readonly(
            "max_weight", [](const PyNetwork& self) { return self.network.max_weight(); },
            "Bound on the absolute value of every weight after each training update.")
        .def("__repr__", [](const PyNetwork& self) {
            return "<neural_creatures.Network layers " + py::repr(py::cast(self.layer_sizes())).cast<std::string>() + ">";
        });
}
