// The estimator a scikit-learn user knows: fit on class labels or targets in 0..1 with rows
// shuffled by the engine's seeded order, predict and score, weights set from arrays, and the
// state pickle and copy keep. Training is the engine's TrainingRun, through run_training.
#include "python/py_estimator.h"

#include "engine/training_run.h"
#include "python/py_network.h"

#include <pybind11/stl.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>

namespace {

constexpr long long highest_seed = 4294967295LL;
constexpr int highest_int = std::numeric_limits<int>::max();
// A single output stands for class 1 from this value on.
constexpr double class_one_from = 0.5;
// Members of the pickled state: the lesson (which holds the weight limit too), the last result,
// the last passes and the last run.
constexpr std::size_t state_size = 4;

std::string shape_text(const py::array& values)
{
    std::string text = "(";
    for (py::ssize_t axis = 0; axis < values.ndim(); ++axis)
        text += (axis == 0 ? "" : ", ") + std::to_string(values.shape(axis));
    return text + (values.ndim() == 1 ? ",)" : ")");
}

// Rows of inputs: a 2-D array of input_count columns.
py::array input_rows(const py::object& inputs, int columns)
{
    const py::array given = numeric_array(inputs, "X");
    if (given.ndim() != 2)
        throw py::value_error("X must be a 2-D array with one row per sample, not of shape " + shape_text(given));
    require_columns(given.shape(1), columns, "inputs");
    return given;
}

// The expected outputs `y` asks for: class labels (a 1-D array of integers) become one output
// per class, 1 for the label's and 0 for the others (the label itself for a single output,
// which takes the classes 0 and 1); targets are rows of outputs in 0..1.
struct Answers {
    bool labels = false;
    std::vector<long long> classes;  // the labels, when given
    Array targets;                   // one row of output_count values per row
    py::ssize_t rows = 0;
};

Answers answers_of(const py::object& y, int outputs)
{
    const py::array given = numeric_array(y, "y");
    const char kind = given.dtype().kind();
    Answers answers;
    if (given.ndim() == 1 && (kind == 'i' || kind == 'u')) {
        answers.labels = true;
        answers.rows = given.shape(0);
        const long long highest = outputs == 1 ? 1 : outputs - 1;
        const auto labels = py::array_t<long long, py::array::c_style | py::array::forcecast>::ensure(given);
        if (!labels)
            throw py::value_error("y holds class labels beyond 64-bit integers");
        answers.targets = Array({answers.rows, static_cast<py::ssize_t>(outputs)});
        double* cells = answers.targets.mutable_data();
        for (py::ssize_t row = 0; row < answers.rows; ++row) {
            const long long label = labels.data()[row];
            if (label < 0 || label > highest)
                throw py::value_error("y holds the class label " + std::to_string(label) + " in row " +
                                      std::to_string(row) + "; a network of " + std::to_string(outputs) +
                                      " output" + (outputs == 1 ? "" : "s") + " takes the classes 0 to " +
                                      std::to_string(highest) +
                                      (outputs == 1 ? " (its output the class 1's)" : " (one output per class)"));
            answers.classes.push_back(label);
            for (int k = 0; k < outputs; ++k)
                cells[row * outputs + k] = outputs == 1 ? static_cast<double>(label) : (k == label ? 1.0 : 0.0);
        }
        return answers;
    }
    const bool one_column = given.ndim() == 1 && outputs == 1;
    if (!one_column && (given.ndim() != 2 || given.shape(1) != outputs))
        throw py::value_error("y must be class labels (a 1-D array of integers, one output per class) or targets in "
                              "0..1 (a 2-D array of " + std::to_string(outputs) + " column" +
                              (outputs == 1 ? "" : "s") + ", one per output), not an array of " +
                              py::str(given.dtype()).cast<std::string>() + " of shape " + shape_text(given));
    answers.rows = given.shape(0);
    answers.targets = c_doubles(given, "targets");
    const double* cells = answers.targets.data();
    for (py::ssize_t cell = 0; cell < answers.targets.size(); ++cell)
        if (!(cells[cell] >= 0.0 && cells[cell] <= 1.0))
            throw py::value_error("targets must lie in 0..1, the outputs' range; row " +
                                  std::to_string(cell / outputs) + ", column " + std::to_string(cell % outputs) +
                                  " holds " +
                                  py::repr(py::float_(cells[cell])).cast<std::string>() +
                                  " (class labels are 1-D integers)");
    return answers;
}

void require_same_rows(py::ssize_t inputs, py::ssize_t answers)
{
    if (inputs != answers)
        throw py::value_error("X has " + std::to_string(inputs) + " rows and y " + std::to_string(answers) +
                              "; one label or target row is needed per row of X");
}

// The class an output row predicts: the largest output's (the first of equals), or for a
// single output 1 from class_one_from on.
long long predicted_class(const double* outputs, int count)
{
    if (count == 1)
        return outputs[0] >= class_one_from ? 1 : 0;
    int best = 0;
    for (int k = 1; k < count; ++k)
        if (outputs[k] > outputs[best])
            best = k;
    return best;
}

void set_parameters(Network& work, const py::object& learning_rate, const py::object& error_limit,
                    const py::object& max_weight, const py::object& learn_thresholds)
{
    if (!learning_rate.is_none())
        work.set_learning_rate_all(real_argument(learning_rate, "learning_rate", RealRange::not_negative));
    if (!error_limit.is_none())
        work.error_limit = real_argument(error_limit, "error_limit", RealRange::not_negative);
    if (!max_weight.is_none())
        work.set_max_weight_all(real_argument(max_weight, "max_weight", RealRange::positive));
    if (!learn_thresholds.is_none())
        work.learn_thresholds = learn_thresholds.cast<bool>();
}

}  // namespace

// ---- training and prediction

void PyNetwork::fit(const py::object& inputs, const py::object& labels, const FitOptions& options)
{
    Network work(idle());
    const int epochs = options.epochs.is_none()
                           ? work.max_iterations
                           : static_cast<int>(integer_argument(options.epochs, "epochs", 0, highest_int));
    const auto seed = static_cast<std::uint32_t>(integer_argument(options.seed, "seed", 0, highest_seed));
    const double share = share_argument(options.test_share);
    const int every = static_cast<int>(integer_argument(options.callback_every, "callback_every", 1, highest_int));
    if (!options.callback.is_none() && PyCallable_Check(options.callback.ptr()) == 0)
        throw py::type_error("callback must be callable, as callback(step), or None");
    set_parameters(work, options.learning_rate, options.error_limit, options.max_weight, options.learn_thresholds);
    require_training_parameters(work);

    const py::array rows = input_rows(inputs, work.input_count());
    const Answers answers = answers_of(labels, work.output_count());
    require_same_rows(rows.shape(0), answers.rows);
    if (answers.rows == 0)
        throw py::value_error("there are no rows to train on");
    require_pattern_room(work, answers.rows);
    std::vector<int> order;
    if (options.shuffle)
        shuffled_order(static_cast<int>(answers.rows), seed, order);
    set_array_patterns(work, c_doubles(rows, "inputs"), answers.targets, answers.rows, order);
    work.held_out_share = share;
    work.held_out_seed = seed;

    std::optional<LearningCurve> curve;
    if (options.curve)
        curve.emplace(LearningCurve::exported_points);
    StepReports reports{options.callback, every, py::module_::import("neural_creatures._engine").attr("FitStep")};
    TrainingRun run(epochs, work, share, seed);
    RunEnd end = RunEnd::finished;
    const int result =
        run_training(work, run, curve ? &*curve : nullptr, options.callback.is_none() ? nullptr : &reports, end);
    finish_training(work, result, curve ? &*curve : nullptr, end);
}

py::array_t<double> PyNetwork::predict_proba(const py::object& inputs)
{
    input_rows(inputs, idle().input_count());
    return evaluate(inputs);
}

py::array_t<long long> PyNetwork::predict(const py::object& inputs)
{
    const py::array_t<double> outputs = predict_proba(inputs);
    const py::ssize_t rows = outputs.shape(0);
    const int count = static_cast<int>(outputs.shape(1));
    py::array_t<long long> classes(rows);
    for (py::ssize_t row = 0; row < rows; ++row)
        classes.mutable_data()[row] = predicted_class(outputs.data(row, 0), count);
    return classes;
}

double PyNetwork::score(const py::object& inputs, const py::object& labels)
{
    const int count = idle().output_count();
    const Answers answers = answers_of(labels, count);
    const py::array_t<double> outputs = predict_proba(inputs);
    require_same_rows(outputs.shape(0), answers.rows);
    if (answers.rows == 0)
        throw py::value_error("there are no rows to score");
    double total = 0.0;
    for (py::ssize_t row = 0; row < answers.rows; ++row) {
        const double* computed = outputs.data(row, 0);
        if (answers.labels) {
            total += predicted_class(computed, count) == answers.classes[static_cast<std::size_t>(row)] ? 1.0 : 0.0;
            continue;
        }
        for (int k = 0; k < count; ++k) {
            const double difference = computed[k] - answers.targets.data()[row * count + k];
            total += difference * difference;
        }
    }
    return total / static_cast<double>(answers.rows * (answers.labels ? 1 : count));
}

// ---- weights

void PyNetwork::set_weights(const py::list& weights)
{
    const Network& held = idle();
    const int computing_layers = held.layer_count() - 1;
    if (static_cast<int>(py::len(weights)) != computing_layers)
        throw py::value_error("set_weights takes one array per computing layer, " + std::to_string(computing_layers) +
                              ", not " + std::to_string(py::len(weights)));
    std::vector<double> flat;
    flat.reserve(static_cast<std::size_t>(held.connection_count()));
    int previous_first = 0;
    for (int layer = 1; layer <= computing_layers; ++layer) {
        const int size = held.layer_size(layer);
        const int previous_size = held.layer_size(layer - 1);
        const int first = previous_first + previous_size;
        const std::string name = "layer " + std::to_string(layer) + " (" + std::to_string(size) + " neurons after " +
                                 std::to_string(previous_size) + ")";
        const py::array given = numeric_array(weights[static_cast<std::size_t>(layer - 1)], "weights");
        if (given.ndim() != 2 || given.shape(0) != size || given.shape(1) != previous_size)
            throw py::value_error("the weights of " + name + " must be an array of shape (" + std::to_string(size) +
                                  ", " + std::to_string(previous_size) + "), not " + shape_text(given));
        const Array matrix = c_doubles(given, "weights");
        for (int j = 0; j < size; ++j) {
            const std::vector<Connection>& links = held.neuron(first + j).connections;
            // A matrix sets one link per pair of neurons, which a file giving a link twice has not.
            std::vector<char> seen(static_cast<std::size_t>(previous_size), 0);
            for (const Connection& link : links) {
                const int column = link.source - previous_first;
                if (column < 0 || column >= previous_size || seen[static_cast<std::size_t>(column)] != 0)
                    throw py::value_error("the weights of " + name +
                                          " cannot be set as a matrix: a neuron holds two links from one neuron");
                seen[static_cast<std::size_t>(column)] = 1;
                const double value = matrix.data()[static_cast<std::size_t>(j) * previous_size + column];
                if (!std::isfinite(value))
                    throw py::value_error("the weights of " + name + " must be finite numbers");
                flat.push_back(value);
            }
        }
        previous_first = first;
    }
    Network work(held);
    if (!work.set_weights(flat))
        throw std::bad_alloc();
    network = std::move(work);
}

// ---- pickle and copy

py::tuple PyNetwork::state() const
{
    const std::string lesson = file_text(false, true);
    return py::make_tuple(py::bytes(lesson), last_result, last_passes, last_run);
}

PyNetwork PyNetwork::from_state(const py::tuple& state)
{
    if (state.size() != state_size)
        throw py::value_error("not the state of a pickled Network");
    const std::string lesson = state[0].cast<std::string>();
    Network built = Network::from_text(lesson, 0u);
    if (built.layer_count() == 0 || built.read_training_text(lesson) != 0)
        throw py::value_error("not the state of a pickled Network: its lesson does not read back");
    PyNetwork kept(std::move(built), Diagnostics(), "the pickled state");
    kept.last_result = state[1].cast<int>();
    kept.last_passes = state[2].cast<int>();
    kept.last_run = state[3];
    return kept;
}

// ---- binding

namespace {

constexpr const char* fit_doc =
    "Trains on rows X (a 2-D array of input_count columns) and y, then returns the network.\n\n"
    "  y           class labels: a 1-D array of integers, one output per class (the label's output "
    "trained to 1, the others to 0; a network of one output takes the classes 0 and 1, its output "
    "trained to the label); or targets in 0..1: a 2-D array of output_count columns (1-D for one "
    "output), as train() takes them.\n"
    "  epochs      passes over the rows at most (None: max_iterations); the run ends sooner when every "
    "output of every training row lies within error_limit.\n"
    "  shuffle     True: the rows are trained in the engine's order for `seed` (shuffled_order in "
    "engine/training_run.h; the patterns held afterwards are in that order); False: as given.\n"
    "  seed        an int from 0 to 2**32 - 1: the same seed gives the same bits on every run. It picks "
    "the held-out rows too.\n"
    "  test_share  a share from 0 to 0.9 of the rows held out of training, as train() holds them out.\n"
    "  callback    callback(step) between steps of callback_every passes and at the end: step is a "
    "FitStep(passes, new_passes, worst, mean_squared, held_out_worst, held_out_mean_squared), the "
    "passes of the run so far and of this step, and the errors of the training rows and of the "
    "held-out ones (None without any). Returning False stops the run (last_run.result is STOPPED); "
    "any other answer goes on. To show progress: bar = tqdm(total=epochs), callback=lambda s: "
    "bar.update(s.new_passes). The network's methods are not to be called from the callback.\n"
    "  curve       True: last_run is a TrainingRunWithCurve, its curve as train(curve=True) gives.\n"
    "  learning_rate, error_limit, max_weight, learn_thresholds: set on the network first, as their "
    "attributes would be (None: as they are).\n\n"
    "The run is recorded in last_run. Ctrl-C (KeyboardInterrupt, also when raised by the callback) "
    "keeps the weights of the last whole pass and the partial run in last_run, then raises. Raises "
    "ValueError naming what is wrong with X, y or an argument, TypeError for a callback that is not "
    "callable, and FloatingPointError as train() does.";

constexpr const char* score_doc =
    "For class labels y (1-D integers), the accuracy: the share of rows whose predicted class is the "
    "label. For targets (in 0..1), the mean squared error of the outputs over every output of every "
    "row (lower is better). Raises ValueError as fit() does for X and y.";

}  // namespace

void bind_estimator(py::module_& module, py::class_<PyNetwork>& network)
{
    py::object named_tuple = py::module_::import("collections").attr("namedtuple");
    py::object step = named_tuple(
        "FitStep",
        py::make_tuple("passes", "new_passes", "worst", "mean_squared", "held_out_worst", "held_out_mean_squared"),
        py::arg("module") = "neural_creatures");
    step.attr("__doc__") = "FitStep(passes, new_passes, worst, mean_squared, held_out_worst, held_out_mean_squared): "
                           "what fit's callback gets between steps; the held-out errors None without held-out rows.";
    module.attr("FitStep") = step;

    network
        .def(
            "fit",
            [](py::object self, const py::object& inputs, const py::object& labels, const py::object& epochs,
               bool shuffle, const py::object& seed, const py::object& test_share, const py::object& callback,
               const py::object& callback_every, bool curve, const py::object& learning_rate,
               const py::object& error_limit, const py::object& max_weight, const py::object& learn_thresholds) {
                const FitOptions options{epochs,        seed,  test_share,    callback,   callback_every,
                                         learning_rate, error_limit, max_weight, learn_thresholds, shuffle, curve};
                self.cast<PyNetwork&>().fit(inputs, labels, options);
                return self;
            },
            py::arg("X"), py::arg("y"), py::kw_only(), py::arg("epochs") = py::none(), py::arg("shuffle") = true,
            py::arg("seed") = 0, py::arg("test_share") = 0.0, py::arg("callback") = py::none(),
            py::arg("callback_every") = 1, py::arg("curve") = false, py::arg("learning_rate") = py::none(),
            py::arg("error_limit") = py::none(), py::arg("max_weight") = py::none(),
            py::arg("learn_thresholds") = py::none(), fit_doc)
        .def("predict", &PyNetwork::predict, py::arg("X"),
             "The class of each row of X: the largest output's (the first of equals), or for a network of one "
             "output 1 where it is 0.5 or more, else 0. A 1-D array of int64.")
        .def("predict_proba", &PyNetwork::predict_proba, py::arg("X"),
             "The outputs for each row of X, a 2-D array of output_count columns: evaluate() on rows.")
        .def("score", &PyNetwork::score, py::arg("X"), py::arg("y"), score_doc)
        .def_readonly("last_run", &PyNetwork::last_run,
                      "The last training run of train() or fit(): a TrainingRun, or a TrainingRunWithCurve when a "
                      "curve was asked for; after Ctrl-C the part run so far. None before any.")
        .def("set_weights", &PyNetwork::set_weights, py::arg("weights"),
             "Sets every weight from one 2-D array per computing layer, shaped as `weights` gives them (row j: "
             "the weights into neuron j from each neuron of the layer before), as given, unclamped. Raises "
             "ValueError naming the layer for a wrong count or shape, values that are not finite numbers, or "
             "a neuron with two links from one neuron; the network is then as it was.")
        .def("__copy__", [](const PyNetwork& self) { self.idle(); return PyNetwork(self); })
        .def("__deepcopy__",
             [](const PyNetwork& self, const py::dict& memo) {
                 self.idle();
                 PyNetwork copy(self);
                 copy.last_run = py::module_::import("copy").attr("deepcopy")(self.last_run, memo);
                 return copy;
             },
             py::arg("memo"))
        .def(py::pickle([](const PyNetwork& self) { return self.state(); },
                        [](const py::tuple& state) { return PyNetwork::from_state(state); }));
}
