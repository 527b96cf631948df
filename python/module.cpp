// The extension module neural_creatures._engine: the names, signatures, docstrings and
// properties Python sees. The work is PyNetwork's (py_network.cpp), the engine's beneath it.
#include "python/py_data_sets.h"
#include "python/py_estimator.h"
#include "python/py_network.h"
#include "python/released_gil.h"

#include <pybind11/stl.h>

namespace {

constexpr const char* network_doc =
    "A feed-forward network: an input layer, then layers of computing neurons, the last of them the "
    "output layer.\n\n"
    "Network(path, seed=None) reads a network file (str, bytes or os.PathLike). Weights the file leaves "
    "out are drawn at random: from the clock, or from `seed` (an int from 0 to 2**32 - 1) so that the "
    "same seed gives the same network on every run.\n\n"
    "Raises FileNotFoundError, PermissionError or IsADirectoryError as open() would, OSError at once for "
    "anything but a regular file (a FIFO, a device), ValueError for a path with a null byte or a bad "
    "seed, and NetworkFileError (a ValueError) for a file that holds no usable network.\n\n"
    "Every call raises MemoryError when memory runs short (arrays too large to copy, a network or "
    "patterns that do not fit in memory). Every call that raises leaves the network as it was. A network "
    "is used by one thread at a time: "
    "while it trains or evaluates with the GIL released, other calls on it raise RuntimeError.\n\n"
    "pickle, copy.copy and copy.deepcopy keep it to the bit: weights, thresholds, patterns, training "
    "parameters, held-out share and seed, and last_run (pickle keeps the lesson that "
    "to_text(training=True) gives, and raises ValueError for a network that it cannot hold).";

constexpr const char* train_doc =
    "Trains by online back-propagation until every output of every pattern lies within error_limit "
    "(converged) or max_iterations passes are made (iteration limit).\n\n"
    "Arguments:\n"
    "  source   None: the patterns held (from load_training or an earlier train).\n"
    "           A path (str, bytes, os.PathLike): a training file. A network file's pattern records "
    "give the patterns and its training records the error limit, iteration limit, learning rate and "
    "weight limit; a CSV table (a name ending in .csv, as net_train -t reads it) gives one pattern per "
    "row, inputs then expected outputs, and the network keeps its parameters.\n"
    "           Array-like inputs, with `targets`: one row of input_count values per pattern.\n"
    "  targets  Array-like expected outputs, one row of output_count values per input row (a 1-D array "
    "for a network with one output). Any float or int dtype, C or Fortran order; complex values raise "
    "TypeError, masked values ValueError (a masked array with none masked is taken as its data). At most "
    "1000000 patterns of 50000000 values in all, as a training file holds. Training on arrays is "
    "bit for bit training on a file holding the same patterns.\n"
    "  curve    True adds the learning curve.\n"
    "  test_share  a share from 0 to 0.9 of the patterns held out of training, as net_train "
    "--test-share holds them out: training and its convergence check use the others; the curve then "
    "has two more columns, the held-out patterns' worst and mean squared error.\n"
    "  test_seed   the seed that picks the held-out patterns, an int from 0 to 2**32 - 1.\n\n"
    "The patterns trained on replace those held. The GIL is released while training runs; Ctrl-C "
    "(KeyboardInterrupt) stops it within a tenth of a second and keeps the weights of the last whole "
    "pass. A thread still training when the interpreter exits is stopped there.\n\n"
    "Returns TrainingRun(result, passes): result a TrainResult (CONVERGED or ITERATION_LIMIT, equal to "
    "the strings \"converged\" and \"iteration limit\"), passes the training passes made. With "
    "curve=True, TrainingRunWithCurve(result, passes, curve): curve a 2-D array with the columns pass, "
    "worst error and mean squared error, the rows net_train --curve writes.\n\n"
    "Raises:\n"
    "  NetworkFileError   a training file with bad records, patterns that do not fit the network, or none\n"
    "  OSError            a training file that cannot be read (FileNotFoundError, ...; at once for a FIFO)\n"
    "  ValueError         no patterns held; arrays of the wrong shape, ragged, masked, too many or not "
    "finite; an "
    "error_limit, learning_rate or max_iterations a file left unusable\n"
    "  FloatingPointError training whose weights or outputs stop being finite numbers (a huge learning "
    "rate, huge pattern values); the network is as it was\n"
    "  KeyboardInterrupt  Ctrl-C; the weights of the last whole pass stay\n"
    "  MemoryError        arrays too large to copy, patterns or a training file that do not fit in memory\n"
    "  TypeError          a source that is neither a path nor inputs with targets; complex arrays";

constexpr const char* write_doc =
    "Writes the network as a network file (str, bytes or os.PathLike); the file is replaced as a "
    "whole or not at all.\n\n"
    "The file holds one threshold and one slope for all neurons and one connection from each neuron "
    "of the layer before. A network it cannot hold (per-neuron slopes, connections "
    "grown beyond those) raises ValueError naming what it cannot hold; nearest=True writes the "
    "nearest network it can hold instead, the one reading the file back gives.\n\n"
    "training=True writes a lesson, as net_train --lesson does: the network records, then the held "
    "patterns and the training parameters (error limit, iteration limit, learning rate, learned "
    "thresholds, the held-out share and seed of the last train()), which load() and "
    "load_training() read back; it raises ValueError with nearest=True.\n\n"
    "Raises ValueError as above or for a path with a null byte, and OSError with the system's errno "
    "and the file name when the file cannot be written.";

void bind_parameters(py::class_<PyNetwork>& network)
{
    network
        .def_property(
            "error_limit", [](const PyNetwork& self) { return self.idle().error_limit; }, &PyNetwork::set_error_limit,
            "Largest accepted difference between an expected and a computed output in training: a finite "
            "number of 0 or more (ValueError otherwise).")
        .def_property(
            "max_iterations", [](const PyNetwork& self) { return self.idle().max_iterations; },
            &PyNetwork::set_max_iterations,
            "Limit on the passes of one training run: an int from 0 to 2**31 - 1 (ValueError otherwise).")
        .def_property(
            "learn_thresholds", [](const PyNetwork& self) { return self.idle().learn_thresholds; },
            &PyNetwork::set_learn_thresholds,
            "True: training moves each computing neuron's threshold with its weights, as a bias; False, "
            "the default, trains weights only. A training file's learn-thresholds record of 1 sets it.")
        .def_property(
            "learning_rate", [](const PyNetwork& self) { return self.idle().learning_rate(); },
            &PyNetwork::set_learning_rate,
            "Factor of every weight change in training, for every neuron: a finite number of 0 or more.")
        .def_property(
            "max_weight", [](const PyNetwork& self) { return self.idle().max_weight(); }, &PyNetwork::set_max_weight,
            "Bound on the absolute value of every weight after each training update, and of the random "
            "weights drawn, for every neuron: a finite number above 0.")
        .def_property(
            "threshold", [](const PyNetwork& self) { return self.idle().threshold(); }, &PyNetwork::set_threshold,
            "Threshold subtracted from every neuron's weighted input sum (the first neuron's when a file gave "
            "them different ones); setting it sets every neuron's: a finite number.")
        .def_property(
            "slope_parameter", [](const PyNetwork& self) { return self.idle().slope_parameter(); },
            &PyNetwork::set_slope_parameter,
            "Steepness of the neurons' logistic function; setting it sets every neuron's: a finite number.");
}

// The result types, made with Python's own enum and namedtuple so that they behave as
// Python users expect.
void add_result_types(py::module_& module)
{
    py::module_ enum_module = py::module_::import("enum");
    py::list members;
    members.append(py::make_tuple("CONVERGED", "converged"));
    members.append(py::make_tuple("ITERATION_LIMIT", "iteration limit"));
    members.append(py::make_tuple("NO_USABLE_PATTERNS", "no usable patterns"));
    members.append(py::make_tuple("INTERRUPTED", "interrupted"));
    members.append(py::make_tuple("STOPPED", "stopped"));
    py::object result = enum_module.attr("Enum")("TrainResult", members, py::arg("module") = "neural_creatures",
                                                 py::arg("type") = py::type::of(py::str()));
    result.attr("__doc__") = "How a training run ended; each member equals its value, a str. train() never "
                             "returns NO_USABLE_PATTERNS: it raises NetworkFileError or ValueError instead. "
                             "INTERRUPTED (Ctrl-C) and STOPPED (fit's callback) are found in last_run.";
    result.attr("__str__") = py::module_::import("builtins").attr("str").attr("__str__");
    module.attr("TrainResult") = result;

    py::object named_tuple = py::module_::import("collections").attr("namedtuple");
    py::object run = named_tuple("TrainingRun", py::make_tuple("result", "passes"),
                                 py::arg("module") = "neural_creatures");
    run.attr("__doc__") = "TrainingRun(result, passes): how a training run ended (a TrainResult) and the passes it made.";
    module.attr("TrainingRun") = run;
    py::object with_curve = named_tuple("TrainingRunWithCurve", py::make_tuple("result", "passes", "curve"),
                                        py::arg("module") = "neural_creatures");
    with_curve.attr("__doc__") =
        "TrainingRunWithCurve(result, passes, curve): a TrainingRun with its learning curve, a 2-D array of "
        "rows (pass, worst error, mean squared error).";
    module.attr("TrainingRunWithCurve") = with_curve;
}

}  // namespace

PYBIND11_MODULE(_engine, module)
{
    module.doc() = "The neural-creatures engine: feed-forward networks read from network files, "
                   "evaluated, trained by back-propagation and written back.";
    module.attr("__version__") = NC_VERSION;
    py::register_exception<FileProblem>(module, "NetworkFileError", PyExc_ValueError);
    module.attr("NetworkFileWarning") = py::handle(network_file_warning());
    park_released_threads_at_exit();
    add_result_types(module);
    add_data_set_function(module);

    py::class_<Diagnostic>(module, "Diagnostic", "One thing the engine noticed while reading a file.")
        .def_readonly("line", &Diagnostic::line, "1-based line of the file; 0 for the file as a whole.")
        .def_readonly("message", &Diagnostic::message, "One sentence, without the file name or line.")
        .def("__str__", &describe)
        .def("__repr__", [](const Diagnostic& diagnostic) {
            return "Diagnostic(line=" + std::to_string(diagnostic.line) + ", message=" +
                   py::repr(py::str(diagnostic.message)).cast<std::string>() + ")";
        });

    py::class_<PyNetwork> network(module, "Network", network_doc);
    network
        .def(py::init(&PyNetwork::from_file), py::arg("path"), py::arg("seed") = py::none(),
             "Reads the network of a network file; missing weights from `seed` when given.")
        .def_static("from_text", &PyNetwork::from_text, py::arg("text"), py::arg("seed") = py::none(),
                    "Builds the network that a network file holding `text` (a str) describes; missing weights "
                    "from `seed` when given. Raises NetworkFileError for a text that holds no usable network, "
                    "UnicodeEncodeError (a ValueError) for a str that is not valid Unicode.")
        .def_static("from_layers",
                    [](const py::object& sizes, const py::object& seed, const py::object& threshold,
                       const py::object& slope_parameter, const py::object& learning_rate, const py::object& max_weight,
                       const py::object& error_limit, const py::object& max_iterations,
                       const py::object& learn_thresholds) {
                        return PyNetwork::from_layers(sizes, seed, threshold, slope_parameter, learning_rate,
                                                      max_weight, {error_limit, max_iterations, learn_thresholds});
                    },
                    py::arg("sizes"), py::arg("seed") = py::none(),
                    py::kw_only(), py::arg("threshold") = py::none(), py::arg("slope_parameter") = py::none(),
                    py::arg("learning_rate") = py::none(), py::arg("max_weight") = py::none(),
                    py::arg("error_limit") = py::none(), py::arg("max_iterations") = py::none(),
                    py::arg("learn_thresholds") = py::none(),
                    "Builds a network with these layer sizes, the input layer first (at least two sizes, each "
                    "1 or more), as the engine's Network::from_layers. Every neuron gets the threshold, "
                    "slope_parameter, learning_rate and max_weight given (checked as their attributes are), the "
                    "engine's defaults for those left out; error_limit, max_iterations and learn_thresholds, checked "
                    "as their attributes are, start the network's training parameters. Every weight is drawn evenly "
                    "from -r to +r for its layer, r = 2 * sqrt(6 / (fan_in + fan_out)) / slope_parameter**2 (at the "
                    "default slope of 0.5, 8 * sqrt(6 / (fan_in + fan_out)), Glorot's range for the logistic "
                    "function doubled for that slope), at most max_weight; from `seed` (an int from 0 to 2**32 - 1) when given, else "
                    "from the clock. Raises ValueError for sizes, a seed or a parameter out of range, or layers "
                    "beyond the 1000000 neurons and 30000000 connections a network holds.")
        .def_property_readonly("input_count", [](const PyNetwork& self) { return self.idle().input_count(); },
                               "Number of input neurons.")
        .def_property_readonly("output_count", [](const PyNetwork& self) { return self.idle().output_count(); },
                               "Number of output neurons.")
        .def_property_readonly("layer_sizes", &PyNetwork::layer_sizes,
                               "Neurons per layer: the input layer first, the output layer last.")
        .def("evaluate", &PyNetwork::evaluate, py::arg("inputs"),
             "Evaluates the network. One row of input_count values gives an array of output_count outputs; "
             "a 2-D array of rows gives one row of outputs per row, computed with the GIL released. Any "
             "float or int dtype, C or Fortran order. Raises ValueError for rows of the wrong width, ragged "
             "rows, masked values (a masked array with none masked is taken as its data) or values that are "
             "not numbers, TypeError for complex values and MemoryError when the rows cannot be copied as "
             "C-ordered doubles.")
        .def("train", &PyNetwork::train, py::arg("source") = py::none(), py::arg("targets") = py::none(),
             py::kw_only(), py::arg("curve") = false, py::arg("test_share") = 0.0, py::arg("test_seed") = 0, train_doc)
        .def("load_training", &PyNetwork::load_training, py::arg("path"),
             "Replaces the held patterns with those of a training file (a network file's pattern "
             "records, taking its error limit, iteration limit, learning rate and weight limit too, or a CSV "
             "table's rows), without training. Raises NetworkFileError for bad records, patterns that do not "
             "fit or none, and OSError for a file that cannot be read.")
        .def_property_readonly("patterns", &PyNetwork::patterns,
                               "The held training patterns as (inputs, expected_outputs), two 2-D arrays with "
                               "one row per pattern (copies).")
        .def("write", &PyNetwork::write, py::arg("path"), py::kw_only(), py::arg("nearest") = false,
             py::arg("training") = false, write_doc)
        .def("to_text", &PyNetwork::text, py::kw_only(), py::arg("nearest") = false, py::arg("training") = false,
             "The network file that write() would write, as a str; raises ValueError as write() does.")
        .def_property_readonly("weights", &PyNetwork::weights,
                               "Per computing layer, a 2-D array: row j holds the weights into neuron j of the "
                               "layer from each neuron of the layer before (links a file gives twice between the "
                               "same two neurons add up). Copies: changing them leaves the network unchanged.")
        .def_property_readonly("thresholds", &PyNetwork::thresholds,
                               "Per computing layer, an array of its neurons' thresholds (copies).")
        .def_property_readonly(
            "diagnostics", [](const PyNetwork& self) { return self.diagnostics.entries; },
            "What the engine noticed on the last file or text it read, as Diagnostic objects with line numbers.")
        .def("__repr__", &PyNetwork::repr)
        .def("_repr_svg_", &PyNetwork::svg,
             "The network as an SVG document sized to it, on a transparent background: neurons shaded by "
             "their outputs for the inputs last evaluated (none before the first evaluate()), thresholds where "
             "not 0, connections coloured by sign and thicker for larger weights, a legend, and layers of more "
             "than 64 neurons thinned with a note. Jupyter shows it for a Network.");
    bind_parameters(network);
    bind_estimator(module, network);
}
