// net_train's run: command line, reading and checking the files, chunked training with the
// progress line and the learning curve, the output files, and the report.
#include "net_train/net_train.h"

#include "engine/csv_patterns.h"
#include "engine/data_sets.h"
#include "engine/diagnostics.h"
#include "engine/format_keys.h"
#include "engine/network.h"
#include "engine/training_run.h"
#include "net_train/command_line.h"
#include "tool_support/file_problems.h"
#include "tool_support/number_text.h"
#include "net_train/output_files.h"
#include "tool_support/printable_text.h"
#include "tool_support/progress_line.h"
#include "tool_support/tool_main.h"

#include <algorithm>
#include <chrono>
#include <new>
#include <optional>
#include <ostream>

#ifndef NET_TRAIN_VERSION
#define NET_TRAIN_VERSION "unknown"
#endif

namespace {

constexpr std::size_t max_problems_shown = 30;
// Chunks are sized to take about this long, so the progress line is redrawn in time.
constexpr double chunk_seconds = 0.05;

// True when the reader refused the file as a whole and said why: it could not open it, or
// the network does not fit in memory.
bool file_refused(const Diagnostics& notes)
{
    return notes.has(DiagnosticKind::CannotOpen) || notes.has(DiagnosticKind::OutOfMemory);
}

// Appends why a network without neurons cannot be trained, unless the reader said so.
void explain_empty_network(const Network& network, const Diagnostics& notes, const std::string& file,
                           FileProblems& problems)
{
    if (file_refused(notes))
        return;  // nothing more to say
    if (network.layer_count() == 0 && notes.only_warnings())
        problems.add(file, 0, "no " + quoted_key(FormatKey::InputLayer) + " record; there is no network to train");
    else if (network.layer_count() == 0)
        problems.add(file, 0, "there is no network to train");
    else
        problems.add(file, 0, "the network has no neurons; there is nothing to train");
}

// Adds what the network reader noticed in `file`; false, with the reasons among `problems`,
// when the network it built has no neurons.
bool check_network(const std::string& file, const Network& network, const Diagnostics& notes,
                   FileProblems& problems)
{
    add_reader_problems(problems, file, notes);
    if (network.neuron_count() == 0) {
        explain_empty_network(network, notes, file, problems);
        return false;
    }
    if (network.layer_count() < 2)
        problems.add(file, 0, no_computing_layer_problem());
    return true;
}

// Reads the training records of `file` (a CSV table of patterns, or training records as
// training by file name reads them), patterns held before removed; false, with the reasons
// among `problems`, when they cannot be trained on, and `out_of_memory` set when they do not
// fit in memory.
bool load_patterns(const std::string& network_file, const std::string& file, Network& network,
                   FileProblems& problems, bool& out_of_memory)
{
    Diagnostics notes;
    Diagnostics parameter_warnings;
    const int bad_tokens =
        load_training_records(network, network_file.c_str(), file.c_str(), &notes, &parameter_warnings);
    if (file == network_file)
        notes.forget(DiagnosticKind::TextForm);  // the network reader has said it
    out_of_memory = notes.has(DiagnosticKind::OutOfMemory);
    add_reader_problems(problems, network_file, parameter_warnings);
    add_reader_problems(problems, file, notes);
    add_pattern_fit_problems(problems, file, network, notes);
    if (!notes.has(DiagnosticKind::CannotOpen) && network.pattern_count() == 0)
        problems.add(file, 0, is_csv_file_name(file) ? "no rows of patterns; there is nothing to train on"
                                                     : "no " + quoted_key(FormatKey::Pattern) +
                                                           " records; there is nothing to train on");
    return bad_tokens == 0 && network.patterns_fit() && network.pattern_count() > 0;
}

const char* result_text(int result, bool outputs_are_numbers)
{
    if (!outputs_are_numbers)
        return "outputs are not numbers";
    return result == Converged ? "converged" : "iteration limit reached";
}

void print_report(std::ostream& out, const char* result, const Network& network, const PatternErrors& errors,
                  const std::string& written, const std::string& lesson)
{
    const int trained = network.pattern_count() - errors.held_out_patterns;
    out << "result: " << result << '\n';
    out << "passes: " << network.iterations_done << " (limit " << network.max_iterations << ")\n";
    out << "worst error: " << short_text(errors.worst) << " (error limit " << shortest_text(network.error_limit)
        << ", " << trained << (trained == 1 ? " pattern" : " patterns") << ")\n";
    if (errors.held_out_patterns > 0)
        out << "held-out worst error: " << short_text(errors.held_out_worst) << " (mean squared "
            << short_text(errors.held_out_mean_squared) << ", " << errors.held_out_patterns
            << (errors.held_out_patterns == 1 ? " pattern" : " patterns") << ")\n";
    if (!written.empty())
        out << "written: " << printable(written) << '\n';
    if (!lesson.empty())
        out << "lesson written: " << printable(lesson) << '\n';
}

// Trains in chunks sized by the clock, drawing the progress line between chunks when it is
// due and adding a point to the learning curve, when there is one, at every chunk's end.
int train_with_progress(Network& network, TrainingRun& run, ProgressLine& progress,
                        const NetTrainSettings& settings, LearningCurve* curve)
{
    const std::function<double()> clock = settings.clock ? settings.clock : [] {
        using Clock = std::chrono::steady_clock;
        return std::chrono::duration<double>(Clock::now().time_since_epoch()).count();
    };
    const double start = clock();
    PatternErrors errors;
    if (curve != nullptr) {
        measure_pattern_errors(network, errors, run);
        curve->add(0, errors);
    }
    int chunk = curve != nullptr ? 1 : std::max(settings.fixed_chunk, 1);
    double chunk_start = 0.0;
    while (!run.step(network, chunk).finished) {
        const int passes_done = run.passes_done();
        const double now = clock() - start;
        const bool show = progress.due(now);
        if (curve != nullptr || show)
            measure_pattern_errors(network, errors, run);
        if (curve != nullptr)
            curve->add(passes_done, errors);
        if (show)
            progress.show(now, passes_done, run.pass_limit(), errors.worst);
        const double took = std::max(now - chunk_start, 1e-6);
        chunk_start = now;
        // The curve needs the errors at every k-th check pass, so its chunks end there.
        if (curve != nullptr) {
            chunk = curve->step() - passes_done % curve->step();
        } else if (settings.fixed_chunk > 0) {
            chunk = settings.fixed_chunk;
        } else {
            const double wanted = chunk * (chunk_seconds / took);
            chunk = static_cast<int>(std::clamp(wanted, 1.0, std::min(chunk * 8.0, 1e9)));
        }
    }
    if (curve != nullptr) {
        measure_pattern_errors(network, errors, run);
        curve->add(network.iterations_done, errors);
    }
    progress.clear();
    return run.result();
}

void print_usage_error(std::ostream& err, const std::string& error)
{
    err << "net_train: " << printable(error) << '\n' << usage_text << "Try 'net_train --help' for more information.\n";
}

// Builds the network of `file` with its missing weights drawn from `seed`, or from the clock.
Network build_network(const std::string& file, const NetTrainOptions& options, Diagnostics& notes)
{
    if (options.has_seed)
        return Network::from_file(file.c_str(), options.seed, &notes);
    return Network(file.c_str(), &notes);
}

// A command line that would write one file over another the run reads or writes; empty when none.
std::string clashing_files(const NetTrainOptions& options, const std::string& training_file)
{
    if (!options.output_file.empty() && same_file(options.output_file, training_file))
        return "the output file '" + options.output_file +
               "' holds the training records; writing the network there would lose them";
    if (!options.lesson_file.empty() && same_file(options.lesson_file, options.output_file))
        return "the lesson file '" + options.lesson_file + "' is also the output file (-o); one would be lost";
    if (options.curve_file.empty())
        return "";
    const struct {
        const std::string* file;
        const char* role;
    } others[] = {{&options.network_file, "the network file"},
                  {&training_file, "the training file"},
                  {&options.output_file, "the output file (-o)"},
                  {&options.lesson_file, "the lesson file"}};
    for (const auto& other : others) {
        if (!other.file->empty() && same_file(options.curve_file, *other.file))
            return "the curve file '" + options.curve_file + "' is also " + other.role + "; one would be lost";
    }
    return "";
}

// --write-data-set: the data set as a CSV table in the -o file, replaced whole.
int write_data_set(const NetTrainOptions& options, std::ostream& out, std::ostream& err)
{
    DataSet data;
    std::string problem;
    if (!make_data_set(options.data_set, options.points, options.noise, options.seed, data, problem)) {
        print_usage_error(err, problem);
        return exit_usage;
    }
    if (!write_whole_file(options.output_file, data_set_csv(data), "the data set", err))
        return exit_cannot_write;
    if (!options.quiet)
        out << "wrote " << counted(data.targets.size(), "point") << " of the data set '" << options.data_set
            << "' to " << printable(options.output_file) << '\n';
    return exit_success;
}

int run(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err,
        const NetTrainSettings& settings)
{
    const ParsedCommandLine parsed = parse_command_line(arguments);
    if (!parsed.error.empty()) {
        print_usage_error(err, parsed.error);
        return exit_usage;
    }
    const NetTrainOptions& options = parsed.options;
    if (options.show_help) {
        out << help_text;
        return exit_success;
    }
    if (options.show_version) {
        out << "net_train " << NET_TRAIN_VERSION << '\n';
        return exit_success;
    }
    if (!options.data_set.empty())
        return write_data_set(options, out, err);
    const bool separate_training = !options.training_file.empty();
    const std::string& training_file = separate_training ? options.training_file : options.network_file;
    if (options.write_nearest && options.output_file.empty()) {
        print_usage_error(err, "option '--write-nearest' says what to write with -o FILE, and no -o is given");
        return exit_usage;
    }
    const std::string clash = clashing_files(options, training_file);
    if (!clash.empty()) {
        print_usage_error(err, clash);
        return exit_usage;
    }
    if (!destinations_writable(options, err))
        return exit_cannot_write;

    FileProblems problems;
    Diagnostics network_notes;
    Network network = build_network(options.network_file, options, network_notes);
    const bool have_network = check_network(options.network_file, network, network_notes, problems);
    bool patterns_out_of_memory = false;
    const bool have_patterns =
        have_network && load_patterns(options.network_file, training_file, network, problems, patterns_out_of_memory);
    if (!options.output_file.empty() && same_file(options.output_file, options.network_file))
        problems.add(options.output_file, 0,
                     "this is the network file itself: the trained network replaces it, and its comments "
                     "and any other records are lost");
    print_problems(err, problems, max_problems_shown);
    if (network_notes.has(DiagnosticKind::OutOfMemory) || patterns_out_of_memory)
        return exit_out_of_memory;
    if (!have_network)
        return exit_unusable_input;
    if (!have_patterns) {
        if (!options.quiet)
            out << "result: no usable patterns\n";
        return exit_unusable_input;
    }

    if (options.learn_thresholds)
        network.learn_thresholds = true;
    ProgressLine progress(err, settings.stderr_is_terminal && !options.quiet);
    std::optional<LearningCurve> curve;
    if (!options.curve_file.empty())
        curve.emplace(curve_rows);
    // A lesson's own held-out share and seed hold unless the command line gives a share.
    if (options.test_share > 0.0) {
        network.held_out_share = options.test_share;
        network.held_out_seed = options.has_test_seed ? options.test_seed : options.has_seed ? options.seed : 0;
    }
    TrainingRun training_run(network);
    const int result = train_with_progress(network, training_run, progress, settings, curve ? &*curve : nullptr);
    PatternErrors errors;
    measure_pattern_errors(network, errors, training_run);
    // The check lets an output that is not a number pass, so such a run is no success.
    const bool numbers = outputs_are_numbers(errors);
    if (!numbers)
        err << "net_train: " << printable(training_file) << ": some computed outputs are not numbers (are some pattern "
               "values huge?); the network cannot be judged\n";
    int status = !numbers ? exit_unusable_input
                 : result == Converged ? exit_success
                                       : exit_short_of_goal;
    if (curve && !write_whole_file(options.curve_file, curve_csv(*curve, !training_run.held_out().empty()),
                                   "the learning curve", err))
        status = exit_cannot_write;

    std::string written;
    if (!options.output_file.empty()) {
        const int write_status =
            write_trained_network(network, training_run, options.output_file, options.write_nearest, err, written);
        if (write_status != 0)
            status = write_status;
    }
    std::string lesson_written;
    if (!options.lesson_file.empty()) {
        const int lesson_status = write_lesson_file(network, options.lesson_file, err);
        if (lesson_status != 0)
            status = lesson_status;
        else
            lesson_written = options.lesson_file;
    }
    if (!options.quiet)
        print_report(out, result_text(result, numbers), network, errors, written, lesson_written);
    return status;
}

}  // namespace

int run_net_train(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err,
                  const NetTrainSettings& settings)
{
    return run_within_memory("net_train",
                             "the run does not fit in memory; every output file is whole, written or as it was", err,
                             [&] { return run(arguments, out, err, settings); });
}
