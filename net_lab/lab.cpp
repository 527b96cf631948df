// net_lab's frame logic: loading and resetting the network, saving it, the keys, and
// training between frames. The drawing is in lab_screen.cpp.
#include "net_lab/lab.h"

#include "file_system/atomic_file.h"
#include "engine/csv_patterns.h"
#include "engine/diagnostics.h"
#include "net_lab/lab_screen.h"
#include "tool_support/file_problems.h"

#include <allegro.h>

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <new>
#include <sstream>

namespace {

// Seconds over which passes per second are averaged.
constexpr double rate_window = 0.5;

void add_problem_lines(Lab& lab, const FileProblems& problems)
{
    for (const FileProblem& problem : problems.listed) {
        std::string text = problem.file;
        if (problem.line > 0)
            text += ":" + std::to_string(problem.line);
        lab.problems.push_back(text + ": " + problem.message);
    }
    if (problems.unlisted > 0)
        lab.problems.push_back(std::to_string(problems.unlisted) + " further problems not listed");
}

// Reads the training records for `network`; true when they can be trained on.
bool load_patterns(Lab& lab, Network& network)
{
    const std::string& network_path = lab.files.network_path;
    const std::string& training_path = lab.files.training_path.empty() ? network_path : lab.files.training_path;
    FileProblems problems;
    if (network.layer_count() < 2) {
        problems.add(network_path, 0, network.neuron_count() == 0
                                          ? "there is no network to train"
                                          : "the network has no \"comp_layer:\"; training cannot change it");
        add_problem_lines(lab, problems);
        return false;
    }
    Diagnostics notes;
    const int bad = load_training_records(network, network_path.c_str(), training_path.c_str(), &notes);
    add_reader_problems(problems, training_path, notes);
    add_pattern_fit_problems(problems, training_path, network, notes);
    const bool opened = !notes.has(DiagnosticKind::CannotOpen);
    if (opened && network.pattern_count() == 0)
        problems.add(training_path, 0, "no patterns; there is nothing to train on");
    add_problem_lines(lab, problems);
    return bad == 0 && network.pattern_count() > 0 && network.patterns_fit();
}

// The errors of the current weights, on the curve and for the table; the maps follow.
void measure(Lab& lab)
{
    lab.maps_stale = true;
    measure_pattern_errors(*lab.view, lab.errors);
    lab.curve.add(lab.stepper.run.passes_done(), lab.errors);
}

void take_rates(Lab& lab, double now)
{
    ++lab.rate_frames;
    if (now - lab.rate_since < rate_window)
        return;
    lab.passes_per_second = (lab.stepper.run.passes_done() - lab.rate_passes) / (now - lab.rate_since);
    lab.frames_per_second = lab.rate_frames / (now - lab.rate_since);
    lab.rate_since = now;
    lab.rate_passes = lab.stepper.run.passes_done();
    lab.rate_frames = 0;
}

// net_lab's own lines of the help screen; the shell adds those of its keys.
const char* const key_lines[] = {
    "Space - start / pause training",
    ".   - one training pass",
    "+ - - more / fewer passes per frame",
    "R   - back to the weights the file gave",
    "S   - save the network to trained.txt",
};

}  // namespace

const ShellScreens lab_screens = {
    {"Network has no inputs!", "or is incorrect", "Loaded file is incorrect"},
    // Help: title at (5, 8), groups 24 apart, panel to (385, 188), 1 ms between looks at
    // the keyboard.
    {5, 8, key_lines, std::size(key_lines), 24, 385, 188, 1},
    {450, 500},
};

void start_lab(Lab& lab, const LabFiles& files, unsigned seed)
{
    std::snprintf(lab.config_path, sizeof lab.config_path, "%s", files.network_path.c_str());
    name_start_up_file(lab);
    load_lab(lab, files, seed);
}

void load_selected_file(Lab& lab, unsigned seed)
{
    lab.first_file = false;
    load_lab(lab, {lab.config_path, ""}, seed);
}

double training_budget(double drawing_seconds)
{
    return std::clamp(frame_seconds - drawing_seconds, least_training_seconds, most_training_seconds);
}

void load_lab(Lab& lab, const LabFiles& files, unsigned seed)
{
    lab.files = files;
    lab.seed = seed;
    lab.problems.clear();
    lab.message.clear();
    Diagnostics network_notes;
    Network network = Network::from_file(files.network_path.c_str(), seed, &network_notes);
    lab.drawn_weights = network_notes.drawn_weights;
    FileProblems network_problems;
    add_reader_problems(network_problems, files.network_path, network_notes);
    add_problem_lines(lab, network_problems);
    const bool usable = load_patterns(lab, network);

    lab.initial = network;
    lab.view = std::make_unique<NetworkView>(network, network_area_width, network_area_height);
    lab.maps.prepare(*lab.view, map_ramp_base);
    lab.stepper = start_stepper(network, usable);
    lab.curve.clear();
    lab.passes_per_second = 0.0;
    lab.rate_passes = 0;
    measure(lab);
}

void reset_lab(Lab& lab, const SecondsClock& clock)
{
    const bool usable = lab.stepper.state != TrainingState::NoPatterns;
    static_cast<Network&>(*lab.view) = lab.initial;
    lab.stepper = start_stepper(lab.initial, usable);
    lab.curve.clear();
    lab.passes_per_second = 0.0;
    lab.rate_since = clock();
    lab.rate_passes = 0;
    measure(lab);
}

bool save_lab(Lab& lab, const std::string& path)
{
    if (same_file(path, lab.files.network_path) ||
        (!lab.files.training_path.empty() && same_file(path, lab.files.training_path))) {
        lab.message = "not saved: " + path + " is the file loaded";
        return false;
    }
    std::ostringstream text;
    std::string reason;
    if (!lab.view->write_network(text)) {
        lab.message = "not saved: the network could not be written";
        return false;
    }
    if (!write_file_atomically(path, text.str(), reason)) {
        lab.message = "not saved: " + reason;
        return false;
    }
    lab.message = "saved " + path + " after " + std::to_string(lab.stepper.run.passes_done()) + " passes";
    return true;
}

void count_press(LabPresses& presses, int scancode)
{
    const auto add = [&presses](LabKey which) { ++presses.count[static_cast<int>(which)]; };
    switch (scancode) {
    case KEY_SPACE: add(LabKey::StartPause); break;
    case KEY_STOP:
    case KEY_DEL_PAD: add(LabKey::OnePass); break;
    case KEY_PLUS_PAD:
    case KEY_EQUALS: add(LabKey::Faster); break;
    case KEY_MINUS:
    case KEY_MINUS_PAD: add(LabKey::Slower); break;
    case KEY_R: add(LabKey::Reset); break;
    case KEY_S: add(LabKey::Save); break;
    default: break;
    }
}

void run_lab_frame(Lab& lab, BITMAP* buffer, const LabPresses& presses, const SecondsClock& clock)
{
    const auto times = [&presses](LabKey which) { return presses.count[static_cast<int>(which)]; };
    TrainingStepper& stepper = lab.stepper;
    for (int press = 0; press < times(LabKey::StartPause); ++press) {
        if (stepper.state == TrainingState::Paused)
            stepper.state = TrainingState::Training;
        else if (stepper.state == TrainingState::Training)
            stepper.state = TrainingState::Paused;
    }
    const int single_passes = stepper.state == TrainingState::Paused ? times(LabKey::OnePass) : 0;
    const int last_step = static_cast<int>(std::size(passes_per_frame_steps)) - 1;
    lab.speed_step = std::clamp(lab.speed_step + times(LabKey::Faster) - times(LabKey::Slower), 0, last_step);
    if (times(LabKey::Reset) > 0)
        reset_lab(lab, clock);
    if (times(LabKey::Save) > 0)
        save_lab(lab, saved_file_name);

    const int before = stepper.run.passes_done();
    const double budget = training_budget(lab.drawing_seconds);
    if (stepper.state == TrainingState::Training)
        run_passes(*lab.view, stepper, passes_per_frame_steps[lab.speed_step], clock, budget);
    else if (single_passes > 0)
        run_passes(*lab.view, stepper, single_passes, clock, budget);
    const double drawing_start = clock();
    if (stepper.run.passes_done() != before || lab.curve.points().empty())
        measure(lab);
    take_rates(lab, drawing_start);

    draw_lab(lab, buffer);
    lab.drawing_seconds = clock() - drawing_start;
}
