// creature_lab's commands: score, trace and evolve, with their reports and exit statuses.
#include "creature_lab/creature_lab.h"

#include "creature_evolution/evolution.h"
#include "creature_evolution/evolution_report.h"
#include "creature_evolution/creature_network.h"
#include "creature_lab/command_line.h"
#include "creature_lab/threaded_scoring.h"
#include "creature_lab/trace.h"
#include "file_system/atomic_file.h"
#include "program_shell/start_up.h"
#include "tool_support/file_problems.h"
#include "tool_support/number_text.h"
#include "tool_support/printable_text.h"
#include "tool_support/progress_line.h"
#include "tool_support/tool_main.h"

#include <chrono>
#include <iomanip>
#include <ostream>
#include <thread>

#ifndef CREATURE_LAB_VERSION
#define CREATURE_LAB_VERSION "unknown"
#endif

namespace {

constexpr const char* program = "creature_lab";
constexpr std::size_t max_problems_shown = 30;

void print_usage_error(std::ostream& err, const std::string& error, CreatureLabCommand command)
{
    const std::string command_part =
        command == CreatureLabCommand::none ? "" : creature_lab_command_name(command) + std::string(" ");
    err << program << ": " << printable(error) << '\n'
        << creature_lab_usage(command) << "Try 'creature_lab " << command_part << "--help' for more information.\n";
}

// Reads a creature's network; false, with its problems printed, when it cannot be used.
bool load_or_explain(const std::string& path, unsigned seed, Network& network, std::ostream& err)
{
    FileProblems problems;
    const bool loaded = load_creature_network(path, seed, network, problems);
    print_problems(err, problems, max_problems_shown, program);
    return loaded;
}

bool write_or_explain(const std::string& path, const std::string& content, std::ostream& err)
{
    std::string reason;
    if (write_file_atomically(path, content, reason))
        return true;
    err << program << ": " << printable(path) << ": cannot write: " << reason_clause(reason)
        << "; the file is as it was\n";
    return false;
}

bool writable_or_explain(const std::string& path, std::ostream& err)
{
    std::string reason;
    if (check_writable_destination(path, reason))
        return true;
    err << program << ": " << printable(path) << ": cannot write here: " << reason_clause(reason) << '\n';
    return false;
}

// The trace's picture is drawn on a memory bitmap; scoring, tracing and evolving need no
// graphics library.
bool start_graphics_or_explain(const std::string& image_file, std::ostream& err)
{
    if (start_headless_graphics())
        return true;
    err << program << ": " << printable(image_file)
        << ": cannot draw the picture: the graphics library does not start\n";
    return false;
}

void print_measure(std::ostream& out, const ScenarioMeasure& measure)
{
    out << std::left << std::setw(20) << measure.name << std::right << std::setw(15)
        << fixed_text(measure.mean_distance, 2) << std::setw(9) << fixed_text(100.0 * measure.inside_share, 1) + "%"
        << std::setw(13) << fixed_text(measure.travelled, 1) << std::setw(10) << fixed_text(measure.score, 3)
        << '\n';
}

int run_score(const CreatureLabOptions& options, std::ostream& out, std::ostream& err)
{
    Network network(nullptr);
    if (!load_or_explain(options.network_file, options.seed, network, err))
        return exit_unusable_input;
    World world(network);
    ScoreSettings settings;
    settings.behaviour = options.behaviour;
    settings.frames = options.frames;
    settings.seed = options.seed;
    const std::vector<ScenarioMeasure> measures = measure_world(world, settings);
    const ScenarioMeasure total = total_of(measures);

    out << "behaviour: " << behaviour_name(options.behaviour) << ", " << options.frames
        << " frames per scenario, seed " << options.seed << '\n';
    out << std::left << std::setw(20) << "scenario" << std::right << std::setw(15) << "mean distance"
        << std::setw(9) << "inside" << std::setw(13) << "travelled" << std::setw(10) << "score" << '\n';
    for (const ScenarioMeasure& measure : measures)
        print_measure(out, measure);
    print_measure(out, total);
    out << "score: " << fixed_text(total.score, 3) << '\n';
    return exit_success;
}

// A trace or picture written over the network it traces, or over each other, would lose a
// file; empty when none would.
std::string clashing_trace_files(const CreatureLabOptions& options)
{
    const struct {
        const std::string* file;
        const char* content;
    } outputs[] = {{&options.output_file, "the trace"}, {&options.image_file, "the picture"}};
    for (const auto& output : outputs) {
        if (!output.file->empty() && same_file(*output.file, options.network_file))
            return "'" + *output.file + "' is the network file; writing " + output.content + " there would lose it";
    }
    if (!options.image_file.empty() && same_file(options.image_file, options.output_file))
        return "the picture '" + options.image_file + "' is also the trace file";
    return "";
}

int run_trace(const CreatureLabOptions& options, std::ostream& out, std::ostream& err)
{
    const std::string clash = clashing_trace_files(options);
    if (!clash.empty()) {
        print_usage_error(err, clash, CreatureLabCommand::trace);
        return exit_usage;
    }
    Network network(nullptr);
    if (!load_or_explain(options.network_file, options.seed, network, err))
        return exit_unusable_input;
    if (!writable_or_explain(options.output_file, err) ||
        (!options.image_file.empty() && !writable_or_explain(options.image_file, err)))
        return exit_cannot_write;
    World world(network);
    const Trace trace = trace_world(world, *find_scenario(options.scenario), options.frames, options.seed);
    if (!write_or_explain(options.output_file, trace.csv, err))
        return exit_cannot_write;
    out << "written: " << printable(options.output_file) << " (" << options.frames << " frames of " << options.scenario
        << ")\n";
    if (options.image_file.empty())
        return exit_success;
    if (!start_graphics_or_explain(options.image_file, err))
        return exit_cannot_write;
    std::string png;
    std::string reason;
    if (!encode_png(trace_picture(world, trace.path), png, reason)) {
        err << program << ": " << printable(options.image_file) << ": " << reason << '\n';
        return exit_cannot_write;
    }
    if (!write_or_explain(options.image_file, png, err))
        return exit_cannot_write;
    out << "written: " << printable(options.image_file) << '\n';
    return exit_success;
}

int run_evolve(const CreatureLabOptions& options, std::ostream& out, std::ostream& err, const CreatureLabSettings& lab)
{
    EvolutionSettings settings;
    settings.shape = creature_shape(options.hidden);
    if (!options.from_file.empty()) {
        Network start(nullptr);
        if (!load_or_explain(options.from_file, options.seed, start, err))
            return exit_unusable_input;
        settings.shape = shape_of(start);
        settings.start_weights = weights_of(start);
        if (settings.start_weights.size() != settings.shape.weight_count()) {
            err << program << ": " << printable(options.from_file)
                << ": some neurons do not read every neuron of the layer before; cannot evolve it\n";
            return exit_unusable_input;
        }
    }
    if (!writable_or_explain(options.output_file, err))
        return exit_cannot_write;
    settings.scoring.behaviour = options.behaviour;
    settings.scoring.frames = options.frames;
    settings.scoring.seed = options.seed;
    settings.population = options.population;
    const int threads = options.threads > 0 ? options.threads
                                            : static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    ThreadedScoring scoring(std::min(threads, options.population));
    const EvolutionRequest request{options.behaviour, options.seed, options.population, options.generations,
                                   options.frames};

    Evolution evolution(settings, scoring);
    if (!options.from_file.empty())
        out << "start: " << printable(options.from_file) << ", score " << fixed_text(evolution.best_score(), 3)
            << "; it is the best so far until a generation scores higher\n";
    ProgressLine progress(err, lab.stderr_is_terminal);
    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    for (int generation = 1; generation <= options.generations; ++generation) {
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        if (progress.due(seconds))
            progress.show_text(seconds, std::string(program) + ": evolving: generation " +
                                            std::to_string(generation) + " of " +
                                            std::to_string(options.generations) + ", best so far " +
                                            fixed_text(evolution.best_score(), 3));
        const GenerationResult result = evolution.next_generation();
        progress.clear();
        out << generation_line(result) << std::endl;
        if (!write_or_explain(options.output_file,
                              evolution.best_text(evolved_comment(request, generation, evolution.best_score())),
                              err))
            return exit_cannot_write;
    }
    out << "written: " << printable(options.output_file) << '\n';
    out << "score: " << fixed_text(evolution.best_score(), 3) << '\n';
    return exit_success;
}

// The run, with every shortage of memory passed on to run_creature_lab.
int run(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err, const CreatureLabSettings& settings)
{
    const ParsedCreatureLabCommandLine parsed = parse_creature_lab_command_line(arguments);
    const CreatureLabOptions& options = parsed.options;
    if (!parsed.error.empty()) {
        print_usage_error(err, parsed.error, options.command);
        return exit_usage;
    }
    if (options.show_help) {
        out << creature_lab_help(options.command);
        return exit_success;
    }
    if (options.show_version) {
        out << program << ' ' << CREATURE_LAB_VERSION << '\n';
        return exit_success;
    }
    switch (options.command) {
    case CreatureLabCommand::score:
        return run_score(options, out, err);
    case CreatureLabCommand::trace:
        return run_trace(options, out, err);
    case CreatureLabCommand::evolve:
        return run_evolve(options, out, err, settings);
    case CreatureLabCommand::none:
        break;
    }
    return exit_usage;
}

}  // namespace

int run_creature_lab(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err,
                     const CreatureLabSettings& settings)
{
    return run_within_memory(program,
                             "not enough memory for this run; try fewer frames, a smaller population or fewer "
                             "hidden neurons",
                             err,
                             [&] { return run(arguments, out, err, settings); });
}
