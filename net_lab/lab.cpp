// net_lab's frame logic: loading and resetting the network, saving it, the keys, and
// training between frames. The drawing is in lab_screen.cpp.
#include "net_lab/lab.h"

#include "file_system/atomic_file.h"
#include "net_lab/lab_screen.h"
#include "lab_session/saved_network.h"
#include "tool_support/file_problems.h"

#include <allegro.h>

#include <cstdio>
#include <iterator>

namespace {

// The problems of files that can still be trained on, one after another.
std::string joined_notes(const std::vector<std::string>& problems)
{
    std::string notes;
    for (const std::string& problem : problems)
        notes += (notes.empty() ? "" : "; ") + problem;
    return notes;
}

// The errors of the current weights, on the curve and for the table; the maps follow.
void measure(Lab& lab)
{
    lab.maps_stale = true;
    measure_pattern_errors(*lab.view, lab.errors, lab.stepper.run);
    lab.curve.add(lab.stepper.run.passes_done(), lab.errors);
}

// At most `passes` passes within `budget`, then the errors when the weights changed, and the
// judgement of a run that has ended.
void train_and_measure(Lab& lab, int passes, const SecondsClock& clock, double budget)
{
    if (run_passes(*lab.view, lab.stepper, passes, clock, budget) > 0)
        measure(lab);
    judge_outputs(lab.stepper, lab.errors);
}

// net_lab's own lines of the help screen; the shell adds those of its keys.
const char* const key_lines[] = {
    "Space - start / pause training",
    ".   - one training pass",
    "+ - - more / fewer passes per frame",
    "R   - back to the weights the file gave",
    "S   - save the network to trained.txt",
    "T   - learn thresholds too: on / off",
    "H   - hold the next share of the patterns out",
};

}  // namespace

const ShellScreens lab_screens = {
    {"Network has no inputs!", "or is incorrect", "Loaded file is incorrect"},
    // Help: title at (5, 8), groups 24 apart, panel to (385, 212), 1 ms between looks at
    // the keyboard.
    {5, 8, key_lines, std::size(key_lines), 24, 385, 212, 1},
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

void load_lab(Lab& lab, const LabFiles& files, unsigned seed)
{
    lab.files = files;
    lab.seed = seed;
    lab.message.clear();
    LoadedNetwork loaded = load_lab_files(files, seed);
    lab.problems = std::move(loaded.problems);
    lab.drawn_weights = loaded.drawn_weights;
    const bool usable = loaded.usable;
    const Network& network = loaded.network;

    lab.initial = network;
    lab.view = std::make_unique<NetworkView>(network, network_area_width, network_area_height);
    lab.maps.prepare(*lab.view, map_ramp_base);
    lab.stepper = start_stepper(network, usable, held_out_share_steps[lab.held_out_step], seed);
    // Training goes ahead over warnings, so they are shown as notes where the curve stays in view.
    if (usable && !lab.problems.empty())
        lab.message = "note: " + joined_notes(lab.problems);
    lab.curve.clear();
    lab.rates.restart();
    measure(lab);
}

void reset_lab(Lab& lab)
{
    const bool usable = lab.stepper.state != TrainingState::NoPatterns;
    static_cast<Network&>(*lab.view) = lab.initial;
    lab.stepper = start_stepper(lab.initial, usable, held_out_share_steps[lab.held_out_step], lab.seed);
    lab.curve.clear();
    lab.rates.restart();
    measure(lab);
}

bool save_lab(Lab& lab, const std::string& path)
{
    if (same_file(path, lab.files.network_path) ||
        (!lab.files.training_path.empty() && same_file(path, lab.files.training_path))) {
        lab.message = "not saved: " + path + " is the file loaded";
        return false;
    }
    std::string text;
    std::string reason;
    if (!saved_network_text(*lab.view, text, reason) || !write_file_atomically(path, text, reason)) {
        lab.message = "not saved: " + reason;
        return false;
    }
    lab.message = "saved " + path + " after " + std::to_string(lab.stepper.run.passes_done()) + " passes";
    return true;
}

void add_press(LabPresses& presses, int scancode)
{
    const auto add = [&presses](LabKey which) {
        if (presses.count < LabPresses::most)
            presses.keys[presses.count++] = which;
    };
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
    case KEY_H: add(LabKey::HeldOut); break;
    case KEY_T: add(LabKey::LearnThresholds); break;
    default: break;
    }
}

LabPresses read_presses()
{
    LabPresses presses;
    while (keypressed())
        add_press(presses, readkey() >> 8);
    return presses;
}

void run_lab_frame(Lab& lab, BITMAP* buffer, const LabPresses& presses, const SecondsClock& clock)
{
    TrainingStepper& stepper = lab.stepper;
    const double budget = training_budget(lab.drawing_seconds);
    for (int press = 0; press < presses.count; ++press) {
        switch (presses.keys[press]) {
        case LabKey::StartPause:
            if (stepper.state == TrainingState::Paused)
                stepper.state = TrainingState::Training;
            else if (stepper.state == TrainingState::Training)
                stepper.state = TrainingState::Paused;
            break;
        case LabKey::OnePass:
            if (stepper.state == TrainingState::Paused)
                train_and_measure(lab, 1, clock, budget);
            break;
        case LabKey::Faster: lab.speed_step = faster_step(lab.speed_step); break;
        case LabKey::Slower: lab.speed_step = slower_step(lab.speed_step); break;
        case LabKey::Reset: reset_lab(lab); break;
        case LabKey::Save: save_lab(lab, saved_file_name); break;
        case LabKey::HeldOut:
            // Another split starts another run, from the weights the file gave.
            lab.held_out_step = (lab.held_out_step + 1) % static_cast<int>(std::size(held_out_share_steps));
            reset_lab(lab);
            break;
        case LabKey::LearnThresholds:
            // R keeps the choice: it returns to the file's weights, not to its switch.
            lab.view->learn_thresholds = !lab.view->learn_thresholds;
            lab.initial.learn_thresholds = lab.view->learn_thresholds;
            break;
        }
    }

    if (stepper.state == TrainingState::Training)
        train_and_measure(lab, passes_per_frame_steps[lab.speed_step], clock, budget);
    const double drawing_start = clock();
    if (lab.curve.points().empty())
        measure(lab);
    lab.rates.take(drawing_start, lab.stepper.run.passes_done());

    draw_lab(lab, buffer);
    lab.drawing_seconds = clock() - drawing_start;
}
