// net_train's run: command line, reading and checking the files, chunked training with the
// progress line, writing and verifying the output file, and the report.
#include "tools/net_train.h"

#include "engine/csv_patterns.h"
#include "engine/diagnostics.h"
#include "engine/network.h"
#include "tools/chunked_training.h"
#include "tools/command_line.h"
#include "tools/file_problems.h"
#include "tools/number_text.h"
#include "tools/progress_line.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <ostream>

#ifndef NET_TRAIN_VERSION
#define NET_TRAIN_VERSION "unknown"
#endif

namespace {

constexpr std::size_t max_problems_shown = 30;
// Chunks are sized to take about this long, so the progress line is redrawn in time.
constexpr double chunk_seconds = 0.05;

// True when the reader could not open its file: the only note it makes about a file as a whole.
bool file_not_opened(const Diagnostics& notes)
{
    return std::any_of(notes.entries.begin(), notes.entries.end(),
                       [](const Diagnostic& entry) { return entry.line == 0; });
}

// Appends why a network without neurons cannot be trained, unless the reader said so.
void explain_empty_network(const Network& network, const Diagnostics& notes, const std::string& file,
                           std::vector<FileProblem>& problems)
{
    if (file_not_opened(notes))
        return;  // nothing more to say
    if (network.layer_count() == 0 && notes.entries.empty())
        problems.push_back({file, 0, "no \"input_layer:\" record; there is no network to train"});
    else if (network.layer_count() == 0)
        problems.push_back({file, 0, "there is no network to train"});
    else
        problems.push_back({file, 0, "the network has no neurons; there is nothing to train"});
}

// Adds what the network reader noticed in `file`; false, with the reasons among `problems`,
// when the network it built has no neurons.
bool check_network(const std::string& file, const Network& network, const Diagnostics& notes,
                   std::vector<FileProblem>& problems)
{
    add_reader_problems(problems, file, notes);
    if (network.neuron_count() == 0) {
        explain_empty_network(network, notes, file, problems);
        return false;
    }
    if (network.layer_count() < 2)
        problems.push_back({file, 0, "the network has no \"comp_layer:\"; training cannot change it"});
    return true;
}

// Reads the training records of `file` (a CSV table of patterns, or training records as
// training by file name reads them), patterns held before removed; false, with the reasons
// among `problems`, when they cannot be trained on.
bool load_patterns(const std::string& network_file, const std::string& file, Network& network,
                   std::vector<FileProblem>& problems)
{
    Diagnostics notes;
    const int bad_tokens = load_training_records(network, network_file.c_str(), file.c_str(), &notes);
    add_reader_problems(problems, file, notes);
    add_pattern_fit_problems(problems, file, network, notes);
    if (!file_not_opened(notes) && network.pattern_count() == 0)
        problems.push_back({file, 0, is_csv_file_name(file) ? "no rows of patterns; there is nothing to train on"
                                                            : "no \"pattern:\" records; there is nothing to train on"});
    return bad_tokens == 0 && network.patterns_fit() && network.pattern_count() > 0;
}

bool same_file(const std::string& a, const std::string& b)
{
    std::error_code error;
    return a == b || std::filesystem::equivalent(a, b, error);
}

bool weights_are_finite(const Network& network)
{
    for (int position = 0; position < network.neuron_count(); ++position) {
        for (const Connection& connection : network.neuron(position).connections) {
            if (!std::isfinite(connection.weight))
                return false;
        }
    }
    return true;
}

// True when `file` holds the trained network: the writer gives no result, so it is read back.
// Weights are written with 17 decimals and come back within a rounding of that place; a
// neuron keeps as many connections as its previous layer has neurons.
bool file_holds(const std::string& file, const Network& trained)
{
    const Network written(file.c_str());
    if (written.layer_count() != trained.layer_count() || written.neuron_count() != trained.neuron_count())
        return false;
    int first_previous = 0;
    for (int layer = 1; layer < trained.layer_count(); ++layer) {
        const std::size_t previous = static_cast<std::size_t>(trained.layer_size(layer - 1));
        const int first = first_previous + trained.layer_size(layer - 1);
        for (int position = first; position < first + trained.layer_size(layer); ++position) {
            const std::vector<Connection>& expected = trained.neuron(position).connections;
            const std::vector<Connection>& found = written.neuron(position).connections;
            for (std::size_t k = 0; k < expected.size() && k < previous; ++k) {
                const double tolerance = 1e-16 + 1e-15 * std::fabs(expected[k].weight);
                if (k >= found.size() || found[k].source != expected[k].source ||
                    !(std::fabs(found[k].weight - expected[k].weight) <= tolerance))
                    return false;
            }
        }
        first_previous = first;
    }
    return true;
}

// Writes the trained network to `file`; returns why it could not, or an empty text.
std::string write_trained(const Network& network, const std::string& file)
{
    // A weight that is not a finite number would be read back as a missing one.
    if (!weights_are_finite(network))
        return "not written: training gave weights that are not finite numbers (are some pattern "
               "values huge?)";
    network.write_network_file(file.c_str());
    if (!file_holds(file, network))
        return "cannot write the trained network to this file";
    return "";
}

void print_report(std::ostream& out, int result, const Network& network, double worst,
                  const std::string& written_file)
{
    out << "result: " << (result == Converged ? "converged" : "iteration limit reached") << '\n';
    out << "passes: " << network.iterations_done << " (limit " << network.max_iterations << ")\n";
    out << "worst error: " << short_text(worst) << " (error limit " << shortest_text(network.error_limit)
        << ", " << network.pattern_count() << (network.pattern_count() == 1 ? " pattern" : " patterns") << ")\n";
    if (!written_file.empty())
        out << "written: " << written_file << '\n';
}

// Trains in chunks sized by time, drawing the progress line between chunks when it is due.
int train_with_progress(Network& network, ProgressLine& progress, int fixed_chunk)
{
    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    const int pass_limit = network.max_iterations;  // each chunk runs under a limit of its own
    double chunk_start = 0.0;
    const auto between_chunks = [&](int passes_done, int last_chunk) {
        const double now = std::chrono::duration<double>(Clock::now() - start).count();
        if (progress.due(now))
            progress.show(now, passes_done, pass_limit, worst_error(network));
        const double took = std::max(now - chunk_start, 1e-6);
        chunk_start = now;
        if (fixed_chunk > 0)
            return fixed_chunk;
        const double wanted = last_chunk * (chunk_seconds / took);
        return static_cast<int>(std::clamp(wanted, 1.0, std::min(last_chunk * 8.0, 1e9)));
    };
    const int result = train_in_chunks(network, fixed_chunk > 0 ? fixed_chunk : 1, between_chunks);
    progress.clear();
    return result;
}

void print_usage_error(std::ostream& err, const std::string& error)
{
    err << "net_train: " << error << '\n' << usage_text << "Try 'net_train --help' for more information.\n";
}

}  // namespace

int run_net_train(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err,
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
        return exit_converged;
    }
    if (options.show_version) {
        out << "net_train " << NET_TRAIN_VERSION << '\n';
        return exit_converged;
    }
    const std::string& training_file = options.training_file.empty() ? options.network_file : options.training_file;
    if (!options.output_file.empty() && same_file(options.output_file, training_file)) {
        print_usage_error(err, "the output file '" + options.output_file +
                                   "' holds the training records; writing the network there would lose them");
        return exit_usage;
    }

    std::vector<FileProblem> problems;
    Diagnostics network_notes;
    Network network(options.network_file.c_str(), &network_notes);
    const bool have_network = check_network(options.network_file, network, network_notes, problems);
    const bool have_patterns = have_network && load_patterns(options.network_file, training_file, network, problems);
    print_problems(err, problems, max_problems_shown);
    if (!have_network)
        return exit_nothing_trained;
    if (!have_patterns) {
        if (!options.quiet)
            out << "result: no usable patterns\n";
        return exit_nothing_trained;
    }

    ProgressLine progress(err, settings.stderr_is_terminal && !options.quiet);
    const int result = train_with_progress(network, progress, settings.fixed_chunk);
    const double worst = worst_error(network);
    // The check lets an output that is not a number pass, so such a run is no success.
    const bool outputs_are_numbers = !std::isnan(worst);
    if (!outputs_are_numbers)
        err << "net_train: " << training_file << ": some computed outputs are not numbers (are some pattern "
               "values huge?); the network cannot be judged\n";

    if (!options.output_file.empty()) {
        const std::string write_problem = write_trained(network, options.output_file);
        if (!write_problem.empty()) {
            err << "net_train: " << options.output_file << ": " << write_problem << '\n';
            if (!options.quiet)
                print_report(out, result, network, worst, "");
            return exit_cannot_write;
        }
    }
    if (!options.quiet)
        print_report(out, result, network, worst, options.output_file);
    if (!outputs_are_numbers)
        return exit_nothing_trained;
    return result == Converged ? exit_converged : exit_iteration_limit;
}
