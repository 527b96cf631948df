// PyNetwork's training: the patterns from those held, a training file or arrays, and the run
// itself in steps with the GIL released, answering Ctrl-C between them. Training and loading
// work on a copy that replaces the network only when the call succeeds.
#include "python/py_network.h"

#include "engine/csv_patterns.h"
#include "engine/format_keys.h"
#include "engine/training_run.h"
#include "python/released_gil.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cmath>
#include <limits>
#include <optional>

namespace {

// The module's Python-side types: the TrainResult enum and the result tuples.
py::object module_attribute(const char* name)
{
    return py::module_::import("neural_creatures._engine").attr(name);
}

}  // namespace

void require_training_parameters(const Network& work)
{
    if (!(work.error_limit >= 0.0) || !std::isfinite(work.error_limit))
        throw py::value_error("error_limit is " + py::repr(py::float_(work.error_limit)).cast<std::string>() +
                              "; training needs a finite number of 0 or more");
    if (!std::isfinite(work.learning_rate()) || work.learning_rate() < 0.0)
        throw py::value_error("learning_rate is " + py::repr(py::float_(work.learning_rate())).cast<std::string>() +
                              "; training needs a finite number of 0 or more");
    if (work.max_iterations < 0)
        throw py::value_error("max_iterations is " + std::to_string(work.max_iterations) +
                              "; training needs 0 or more");
}

namespace {

// Rows of an array as a 2-D shape: a 1-D array is one value per row when a row holds one value.
py::ssize_t row_count(const py::array& values, int width, const char* what)
{
    if (values.ndim() == 1 && width == 1)
        return values.shape(0);
    if (values.ndim() != 2)
        throw py::value_error(std::string(what) + " must be a 2-D array with one row per pattern, not " +
                              std::to_string(values.ndim()) + "-D");
    require_columns(values.shape(1), width, what);
    return values.shape(0);
}

bool all_finite(const Array& values)
{
    const double* data = values.data();
    return std::all_of(data, data + values.size(), [](double value) { return std::isfinite(value); });
}

}  // namespace

std::string PyNetwork::patterns_misfit() const
{
    return "a pattern does not have " + std::to_string(network.input_count()) + " inputs and " +
           std::to_string(network.output_count()) + " expected outputs";
}

void PyNetwork::read_training_file(Network& work, const py::object& path)
{
    const std::string name = path_bytes(path);
    require_readable_file(name, path);
    const bool csv = is_csv_file_name(name);
    Diagnostics noticed;
    work.clear_patterns();
    const int bad = csv ? read_csv_patterns(work, name.c_str(), &noticed)
                        : work.read_training_section(name.c_str(), &noticed);
    diagnostics = std::move(noticed);
    if (bad > 0)
        raise_refusal(path_text(path) + " gives no usable training", diagnostics, "bad records");
    // Patterns that do not fit would be read past their ends by training.
    if (!work.patterns_fit())
        throw FileProblem(path_text(path) + " gives no usable training: " + patterns_misfit());
    if (work.pattern_count() == 0)
        throw FileProblem(path_text(path) + " gives no usable training: it holds " +
                          (csv ? "no rows" : "no " + quoted_key(FormatKey::Pattern) + " records"));
    warn_about(path_text(path), diagnostics);
}

void PyNetwork::take_training(Network& work, const py::object& source, const py::object& targets)
{
    if (targets.is_none()) {
        if (source.is_none())
            return;
        if (!is_path(source))
            throw py::type_error("train takes a training file's path, or inputs and targets as arrays");
        read_training_file(work, source);
        return;
    }
    // The shapes are checked, against the limits a training file has too, before the values
    // are copied as C-ordered doubles.
    const py::array given_inputs = numeric_array(source, "inputs");
    const py::array given_targets = numeric_array(targets, "targets");
    const py::ssize_t rows = row_count(given_inputs, work.input_count(), "inputs");
    if (row_count(given_targets, work.output_count(), "targets") != rows)
        throw py::value_error("inputs have " + std::to_string(rows) + " rows and targets " +
                              std::to_string(given_targets.shape(0)) +
                              "; training needs one target row per input row");
    require_pattern_room(work, rows);
    const Array inputs = c_doubles(given_inputs, "inputs");
    const Array expected = c_doubles(given_targets, "targets");
    set_array_patterns(work, inputs, expected, rows, {});
}

void require_pattern_room(const Network& work, py::ssize_t rows)
{
    const long long width = work.input_count() + work.output_count();
    if (rows > Network::max_pattern_count || rows * width > Network::max_pattern_value_count)
        throw py::value_error(std::to_string(rows) + " patterns of " + std::to_string(width) +
                              " values each are more than can be held: at most " +
                              std::to_string(Network::max_pattern_count) + " patterns and " +
                              std::to_string(Network::max_pattern_value_count) + " values");
}

void set_array_patterns(Network& work, const Array& inputs, const Array& expected, py::ssize_t rows,
                        const std::vector<int>& order)
{
    if (!all_finite(inputs) || !all_finite(expected))
        throw py::value_error("inputs and targets must be finite numbers");
    work.clear_patterns();
    TrainingPattern pattern;
    const std::size_t in_width = static_cast<std::size_t>(work.input_count());
    const std::size_t out_width = static_cast<std::size_t>(work.output_count());
    for (py::ssize_t place = 0; place < rows; ++place) {
        const auto at = static_cast<std::size_t>(place);
        const std::size_t row = order.empty() ? at : static_cast<std::size_t>(order[at]);
        const double* in = inputs.data() + row * in_width;
        const double* out = expected.data() + row * out_width;
        pattern.inputs.assign(in, in + in_width);
        pattern.expected_outputs.assign(out, out + out_width);
        work.add_pattern(pattern);
    }
}

namespace {

// Training runs in steps of about this long, so that Ctrl-C is answered within a tenth of a second.
constexpr double step_seconds = 0.02;
// A step is at most this many times as long as the one before, as the clock is a rough guide.
constexpr double max_step_growth = 8.0;
// True when the weights and every output of every pattern are finite numbers.
bool gives_numbers(Network& work)
{
    if (!work.weights_are_finite())
        return false;
    PatternErrors errors;
    measure_pattern_errors(work, errors);
    return outputs_are_numbers(errors);
}

// The curve's rows as net_train --curve writes them, the held-out errors' columns with `held_out`.
py::array_t<double> curve_array(const LearningCurve& curve, bool held_out)
{
    const std::vector<CurvePoint>& points = curve.points();
    py::array_t<double> rows({static_cast<py::ssize_t>(points.size()), static_cast<py::ssize_t>(held_out ? 5 : 3)});
    for (std::size_t row = 0; row < points.size(); ++row) {
        double* cells = rows.mutable_data(static_cast<py::ssize_t>(row), 0);
        cells[0] = points[row].pass;
        cells[1] = points[row].worst;
        cells[2] = points[row].mean_squared;
        if (held_out) {
            cells[3] = points[row].held_out_worst;
            cells[4] = points[row].held_out_mean_squared;
        }
    }
    return rows;
}

}  // namespace

double share_argument(const py::object& value)
{
    const double share = real_argument(value, "test_share", RealRange::not_negative);
    if (share > max_held_out_share)
        throw py::value_error("test_share must be a number from 0 to 0.9, not " + py::repr(value).cast<std::string>());
    return share;
}

namespace {

// Hands the errors after `passes` passes (`made` of them since the last report) to the
// callback; false when it returns False or raises KeyboardInterrupt (then set pending again).
bool report(const StepReports& reports, int passes, int made, const PatternErrors& errors, bool held_out,
            RunEnd& end)
{
    const py::object none = py::none();
    const py::object held_out_worst = held_out ? py::object(py::float_(errors.held_out_worst)) : none;
    const py::object held_out_mean_squared = held_out ? py::object(py::float_(errors.held_out_mean_squared)) : none;
    const py::object step = reports.step_type(passes, made, errors.worst, errors.mean_squared, held_out_worst,
                                              held_out_mean_squared);
    py::object answer;
    try {
        answer = reports.callback(step);
    } catch (py::error_already_set& error) {
        if (!error.matches(PyExc_KeyboardInterrupt))
            throw;
        error.restore();
        end = RunEnd::interrupted;
        return false;
    }
    if (answer.is(py::bool_(false))) {
        end = RunEnd::stopped;
        return false;
    }
    return true;
}

}  // namespace

int PyNetwork::run_training(Network& work, TrainingRun& run, LearningCurve* curve, const StepReports* reports,
                            RunEnd& end)
{
    using Clock = std::chrono::steady_clock;
    Busy hold(*this);
    PatternErrors errors;
    if (curve != nullptr) {
        measure_pattern_errors(work, errors, run);
        curve->add(0, errors);
    }
    const bool held_out = !run.held_out().empty();
    int reported = 0;
    int passes = 1;
    for (;;) {
        TrainingStep step;
        double took = 0.0;
        without_gil([&] {
            const Clock::time_point start = Clock::now();
            step = run.step(work, passes);
            // The curve measures at every k-th pass, where the steps end, and at the last; the
            // reports at every `every`-th.
            const int done = run.passes_done();
            const bool curve_point = curve != nullptr && (step.finished || done % curve->step() == 0);
            const bool report_point = reports != nullptr && (step.finished || done % reports->every == 0);
            if (curve_point || report_point)
                measure_pattern_errors(work, errors, run);
            if (curve_point)
                curve->add(done, errors);
            took = std::max(std::chrono::duration<double>(Clock::now() - start).count(), 1e-6);
        });
        const int done = run.passes_done();
        if (reports != nullptr && done > reported && (step.finished || done % reports->every == 0)) {
            const bool go_on = report(*reports, done, done - reported, errors, held_out, end);
            reported = done;
            if (!go_on && !(step.finished && end == RunEnd::stopped))
                return run.result();
        }
        if (step.finished) {
            end = RunEnd::finished;
            return run.result();
        }
        if (PyErr_CheckSignals() != 0) {
            end = RunEnd::interrupted;
            return run.result();
        }
        const double wanted = std::clamp(passes * step_seconds / took, 1.0, passes * max_step_growth);
        passes = static_cast<int>(std::min(wanted, static_cast<double>(std::numeric_limits<int>::max())));
        if (curve != nullptr)
            passes = std::min(passes, curve->step() - done % curve->step());
        if (reports != nullptr)
            passes = std::min(passes, reports->every - done % reports->every);
    }
}

py::object PyNetwork::finish_training(Network& work, int result, const LearningCurve* curve, RunEnd end)
{
    // The pending KeyboardInterrupt is held aside while the run's record is made in Python.
    std::optional<py::error_already_set> pending;
    if (end == RunEnd::interrupted)
        pending.emplace();
    const bool numbers = gives_numbers(work);
    if (!pending && !numbers)
        raise_python(PyExc_FloatingPointError,
                     "training gave weights or outputs that are not finite numbers (is the learning rate too "
                     "large, or are some pattern values huge?); the network is as it was");
    // Ctrl-C keeps the weights of the last whole pass, when they give numbers.
    if (numbers) {
        const char* ending = end == RunEnd::interrupted ? "interrupted"
                             : end == RunEnd::stopped   ? "stopped"
                             : result == Converged      ? "converged"
                             : result == IterationLimit ? "iteration limit"
                                                        : "no usable patterns";
        const py::object kind = module_attribute("TrainResult")(ending);
        network = std::move(work);
        last_result = end == RunEnd::interrupted ? interrupted_result
                      : end == RunEnd::stopped   ? stopped_result
                                                 : result;
        last_passes = network.iterations_done;
        last_run = curve == nullptr ? module_attribute("TrainingRun")(kind, last_passes)
                                    : module_attribute("TrainingRunWithCurve")(
                                          kind, last_passes, curve_array(*curve, network.held_out_share > 0.0));
    }
    if (pending)
        throw *pending;
    return last_run;
}

py::object PyNetwork::train(const py::object& source, const py::object& targets, bool want_curve,
                            const py::object& test_share, const py::object& test_seed)
{
    const double share = share_argument(test_share);
    const auto seed = static_cast<std::uint32_t>(integer_argument(test_seed, "test_seed", 0, 4294967295LL));
    Network work(idle());
    take_training(work, source, targets);
    require_training_parameters(work);
    if (work.pattern_count() == 0)
        throw py::value_error("there are no patterns to train on: give a training file, or inputs and targets");

    std::optional<LearningCurve> curve;
    if (want_curve)
        curve.emplace(LearningCurve::exported_points);
    // A lesson's own held-out share and seed hold unless a share is given, as in net_train.
    if (share > 0.0) {
        work.held_out_share = share;
        work.held_out_seed = seed;
    }
    TrainingRun run(work);
    RunEnd end = RunEnd::finished;
    const int result = run_training(work, run, curve ? &*curve : nullptr, nullptr, end);
    return finish_training(work, result, curve ? &*curve : nullptr, end);
}

void PyNetwork::load_training(const py::object& path)
{
    Network work(idle());
    read_training_file(work, path);
    network = std::move(work);
}

