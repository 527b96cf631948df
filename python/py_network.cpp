// PyNetwork: reading, evaluating and writing through the engine, with the checks that turn
// what the engine answers into Python exceptions; training is in py_training.cpp.
//   construction     - files, texts and layer sizes, seeded or not
//   evaluation       - rows of inputs, the GIL released around batches
//   writing          - the file text, refused or made nearest when the format cannot hold it
//   views            - weights, thresholds, patterns, repr and picture
#include "python/py_network.h"

#include "engine/format_check.h"
#include "file_system/atomic_file.h"
#include "python/network_svg.h"
#include "python/released_gil.h"

#include <algorithm>
#include <ctime>
#include <limits>
#include <sstream>

namespace {

// Messages of a refusal name at most this many of the engine's diagnostics; all of them stay
// in Network.diagnostics.
constexpr std::size_t max_reasons_in_message = 5;

}  // namespace

std::string describe(const Diagnostic& diagnostic)
{
    if (diagnostic.line == 0)
        return diagnostic.message;
    return "line " + std::to_string(diagnostic.line) + ": " + diagnostic.message;
}

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

void warn_about(const std::string& source, const Diagnostics& diagnostics)
{
    for (const Diagnostic& entry : diagnostics.entries)
        if (entry.kind == DiagnosticKind::Warning)
            warn_about_file(source + ": " + describe(entry));
}

void raise_refusal(const std::string& what, const Diagnostics& diagnostics, const std::string& fallback)
{
    const std::string message = refusal(what, diagnostics, fallback);
    if (diagnostics.has(DiagnosticKind::OutOfMemory))
        raise_python(PyExc_MemoryError, message);
    throw FileProblem(message);
}

// ---- construction

PyNetwork::PyNetwork(Network built, Diagnostics noticed, const std::string& source)
    : diagnostics(std::move(noticed)), network(std::move(built))
{
    if (network.layer_count() == 0)
        raise_refusal(source + " holds no usable network", diagnostics, "it has no layers");
    warn_about(source, diagnostics);
}

PyNetwork PyNetwork::from_file(const py::object& path, const py::object& seed)
{
    const std::string name = path_bytes(path);
    unsigned seed_value = 0;
    const bool seeded = seed_argument(seed, seed_value);
    require_readable_file(name, path);
    Diagnostics noticed;
    Network built = seeded ? Network::from_file(name.c_str(), seed_value, &noticed) : Network(name.c_str(), &noticed);
    return PyNetwork(std::move(built), std::move(noticed), path_text(path));
}

PyNetwork PyNetwork::from_text(const py::object& text, const py::object& seed)
{
    const std::string bytes = text_argument(text);
    unsigned seed_value = 0;
    const bool seeded = seed_argument(seed, seed_value);
    Diagnostics noticed;
    Network built = seeded ? Network::from_text(bytes, seed_value, &noticed) : Network::from_text(bytes, &noticed);
    return PyNetwork(std::move(built), std::move(noticed), "the text");
}

PyNetwork PyNetwork::from_layers(const py::object& sizes, const py::object& seed, const py::object& threshold,
                                 const py::object& slope_parameter, const py::object& learning_rate,
                                 const py::object& max_weight, const TrainingOptions& training)
{
    if (!py::isinstance<py::iterable>(sizes) || is_path(sizes))
        throw py::type_error("layer sizes must be a sequence of integers");
    // The limits the engine would refuse the sizes for are checked here, in the user's terms.
    std::vector<int> counts;
    long long neurons = 0;
    long long connections = 0;
    long long previous = 0;
    for (const py::handle size : sizes) {
        const long long count = integer_argument(size, "a layer size", 1, Network::max_neuron_count);
        counts.push_back(static_cast<int>(count));
        neurons += count;
        connections += previous * count;
        previous = count;
        const std::size_t layers = counts.size();
        if (neurons > Network::max_neuron_count || connections > Network::max_connection_count)
            throw py::value_error("layer sizes too large: layers 1 to " + std::to_string(layers) + " hold " +
                                  std::to_string(neurons) + " neurons and " + std::to_string(connections) +
                                  " connections; a network holds at most " +
                                  std::to_string(Network::max_neuron_count) + " neurons and " +
                                  std::to_string(Network::max_connection_count) + " connections");
    }
    if (counts.size() < 2)
        throw py::value_error("a network needs an input layer and at least one computing layer, not " +
                              std::to_string(counts.size()) + " layer" + (counts.size() == 1 ? "" : "s"));
    unsigned seed_value = 0;
    if (!seed_argument(seed, seed_value))
        seed_value = static_cast<unsigned>(std::time(nullptr));
    // The parameters are checked as their attributes' setters check them.
    NeuronParameters parameters;
    if (!threshold.is_none())
        parameters.threshold = real_argument(threshold, "threshold", RealRange::finite);
    if (!slope_parameter.is_none())
        parameters.slope_parameter = real_argument(slope_parameter, "slope_parameter", RealRange::finite);
    if (!learning_rate.is_none())
        parameters.learning_rate = real_argument(learning_rate, "learning_rate", RealRange::not_negative);
    if (!max_weight.is_none())
        parameters.max_weight = real_argument(max_weight, "max_weight", RealRange::positive);
    Diagnostics noticed;
    Network built = Network::from_layers(counts, seed_value, parameters, &noticed);
    if (!training.error_limit.is_none())
        built.error_limit = real_argument(training.error_limit, "error_limit", RealRange::not_negative);
    if (!training.max_iterations.is_none())
        built.max_iterations = static_cast<int>(
            integer_argument(training.max_iterations, "max_iterations", 0, std::numeric_limits<int>::max()));
    if (!training.learn_thresholds.is_none())
        built.learn_thresholds = training.learn_thresholds.cast<bool>();
    return PyNetwork(std::move(built), std::move(noticed), "the layer sizes");
}

std::vector<int> PyNetwork::layer_sizes() const
{
    const Network& held = idle();
    std::vector<int> sizes;
    for (int layer = 0; layer < held.layer_count(); ++layer)
        sizes.push_back(held.layer_size(layer));
    return sizes;
}

const Network& PyNetwork::idle() const
{
    if (busy)
        raise_python(PyExc_RuntimeError, "the network is being trained or evaluated by another thread");
    return network;
}

PyNetwork::Busy::Busy(PyNetwork& owner) : owner(owner)
{
    owner.idle();
    owner.busy = true;
}

PyNetwork::Busy::~Busy()
{
    owner.busy = false;
}

// ---- evaluation

void require_columns(py::ssize_t given, int expected, const char* what)
{
    if (given != expected)
        throw py::value_error(std::string("a row of ") + what + " must hold " + std::to_string(expected) +
                              " values, one per " + (what[0] == 'i' ? "input" : "output") + " neuron, not " +
                              std::to_string(given));
}

py::array_t<double> PyNetwork::evaluate(const py::object& inputs)
{
    // The shape is checked before the values are copied as C-ordered doubles.
    const py::array given = numeric_array(inputs, "inputs");
    const int columns = idle().input_count();
    if (given.ndim() == 1) {
        require_columns(given.shape(0), columns, "inputs");
        const Array row = c_doubles(given, "inputs");
        py::array_t<double> outputs(network.output_count());
        network.evaluate_batch(row.data(), outputs.mutable_data(), 1);
        evaluated = true;
        return outputs;
    }
    if (given.ndim() != 2)
        throw py::value_error("inputs must be one row of values or a 2-D array of rows, not " +
                              std::to_string(given.ndim()) + "-D");
    require_columns(given.shape(1), columns, "inputs");
    const py::ssize_t count = given.shape(0);
    if (count > std::numeric_limits<int>::max())
        throw py::value_error("at most " + std::to_string(std::numeric_limits<int>::max()) +
                              " rows can be evaluated at once, not " + std::to_string(count));
    const Array rows = c_doubles(given, "inputs");
    py::array_t<double> outputs({count, static_cast<py::ssize_t>(network.output_count())});
    const double* in = rows.data();
    double* out = outputs.mutable_data();
    {
        Busy hold(*this);
        // Rows side by side through the engine's batch: each row exactly as evaluated alone.
        without_gil([&] { network.evaluate_batch(in, out, static_cast<int>(count)); });
    }
    evaluated = evaluated || count > 0;
    return outputs;
}

// ---- writing

std::string PyNetwork::file_text(bool nearest, bool training) const
{
    const Network& held = idle();
    if (training && nearest)
        throw py::value_error("a lesson (training=True) holds the very network that trains on; nearest=True does not go with it");
    if (training && !held.lesson_is_finite())
        throw py::value_error("the network holds a weight, a pattern value or a training parameter that is not a finite "
                              "number, which the file format cannot hold");
    if (!held.weights_are_finite())
        throw py::value_error("the network holds weights that are not finite numbers, which the file format cannot hold");
    CheckedNetworkText checked;
    // A read-back that ran short of memory is an empty network, never the nearest one.
    if (!check_network_text(held, nearest, checked))
        throw std::bad_alloc();
    if (checked.losses.empty() && training) {
        std::ostringstream lesson;
        held.write_lesson(lesson);
        return lesson.str();
    }
    if (checked.losses.empty() || nearest)
        return std::move(checked.text);
    std::string message = "the network file format cannot hold this network: ";
    for (std::size_t k = 0; k < checked.losses.size(); ++k)
        message += (k == 0 ? "" : "; ") + checked.losses[k];
    throw py::value_error(message + "; nearest=True writes the nearest network it can hold");
}

void PyNetwork::write(const py::object& path, bool nearest, bool training) const
{
    const std::string name = path_bytes(path);
    const std::string text = file_text(nearest, training);
    std::string reason;
    if (!write_file_atomically(name, text, reason))
        raise_write_error(reason, path);
}

std::string PyNetwork::text(bool nearest, bool training) const
{
    return file_text(nearest, training);
}

// ---- views

namespace {

template <typename Visit>
void for_each_computing_layer(const Network& network, Visit visit)
{
    int previous_first = 0;
    for (int layer = 1; layer < network.layer_count(); ++layer) {
        const int previous_size = network.layer_size(layer - 1);
        const int first = previous_first + previous_size;
        visit(first, network.layer_size(layer), previous_first, previous_size);
        previous_first = first;
    }
}

}  // namespace

py::tuple PyNetwork::patterns() const
{
    const Network& held = idle();
    const py::ssize_t count = held.pattern_count();
    py::array_t<double> inputs({count, static_cast<py::ssize_t>(held.input_count())});
    py::array_t<double> expected({count, static_cast<py::ssize_t>(held.output_count())});
    for (py::ssize_t i = 0; i < count; ++i) {
        const TrainingPattern& pattern = held.pattern(static_cast<int>(i));
        std::copy(pattern.inputs.begin(), pattern.inputs.end(), inputs.mutable_data(i, 0));
        std::copy(pattern.expected_outputs.begin(), pattern.expected_outputs.end(), expected.mutable_data(i, 0));
    }
    return py::make_tuple(inputs, expected);
}

// Per computing layer: rows are its neurons, columns the neurons of the layer before.
py::list PyNetwork::weights() const
{
    const Network& held = idle();
    py::list layers;
    for_each_computing_layer(held, [&](int first, int size, int previous_first, int previous_size) {
        py::array_t<double> matrix({static_cast<py::ssize_t>(size), static_cast<py::ssize_t>(previous_size)});
        double* cells = matrix.mutable_data();
        std::fill(cells, cells + static_cast<std::size_t>(size) * previous_size, 0.0);
        for (int j = 0; j < size; ++j) {
            for (const Connection& connection : held.neuron(first + j).connections) {
                const int column = connection.source - previous_first;
                if (column >= 0 && column < previous_size)
                    cells[static_cast<std::size_t>(j) * previous_size + column] += connection.weight;
            }
        }
        layers.append(matrix);
    });
    return layers;
}

py::list PyNetwork::thresholds() const
{
    const Network& held = idle();
    py::list layers;
    for_each_computing_layer(held, [&](int first, int size, int, int) {
        py::array_t<double> values(size);
        for (int j = 0; j < size; ++j)
            values.mutable_data()[j] = held.neuron(first + j).threshold;
        layers.append(values);
    });
    return layers;
}

std::string PyNetwork::repr() const
{
    std::string sizes;
    for (int size : layer_sizes())
        sizes += (sizes.empty() ? "" : ", ") + std::to_string(size);
    std::string state = std::to_string(network.pattern_count()) + " patterns held";
    if (last_result == Converged)
        state += ", converged after " + std::to_string(last_passes) + " passes";
    else if (last_result == interrupted_result)
        state += ", training interrupted after " + std::to_string(last_passes) + " passes";
    else if (last_result == stopped_result)
        state += ", stopped by its callback after " + std::to_string(last_passes) + " passes";
    else if (last_result == IterationLimit)
        state += ", stopped at the iteration limit after " + std::to_string(last_passes) + " passes";
    return "<neural_creatures.Network layers [" + sizes + "], " + state + ">";
}

std::string PyNetwork::svg()
{
    idle();
    // The inputs held are those of the last row evaluated or pattern trained on: evaluated
    // again, the neurons show what the network gives for them now, whatever changed since.
    if (evaluated)
        network.evaluate();
    return network_svg(network, evaluated);
}

// ---- parameters

void PyNetwork::set_error_limit(const py::object& value)
{
    const double limit = real_argument(value, "error_limit", RealRange::not_negative);
    idle();
    network.error_limit = limit;
}

void PyNetwork::set_max_iterations(const py::object& value)
{
    const long long limit = integer_argument(value, "max_iterations", 0, std::numeric_limits<int>::max());
    idle();
    network.max_iterations = static_cast<int>(limit);
}

void PyNetwork::set_learn_thresholds(bool learn)
{
    idle();
    network.learn_thresholds = learn;
}

void PyNetwork::set_learning_rate(const py::object& value)
{
    const double rate = real_argument(value, "learning_rate", RealRange::not_negative);
    idle();
    network.set_learning_rate_all(rate);
}

void PyNetwork::set_max_weight(const py::object& value)
{
    const double limit = real_argument(value, "max_weight", RealRange::positive);
    idle();
    network.set_max_weight_all(limit);
}

void PyNetwork::set_threshold(const py::object& value)
{
    const double threshold = real_argument(value, "threshold", RealRange::finite);
    idle();
    network.set_threshold_all(threshold);
}

void PyNetwork::set_slope_parameter(const py::object& value)
{
    const double slope = real_argument(value, "slope_parameter", RealRange::finite);
    idle();
    network.set_slope_parameter_all(slope);
}
