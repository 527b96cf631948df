// net_lab's frame logic: the keys acting on the lab's session, loading a file with its notes,
// and saving the network. The drawing is in lab_screen.cpp.
#include "net_lab/lab.h"

#include "file_system/atomic_file.h"
#include "net_lab/lab_screen.h"
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

Lab::Lab()
    : LabSession([](const Network& network) {
          return std::make_shared<NetworkView>(network, network_area_width, network_area_height);
      })
{
}

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
    lab.message.clear();
    lab.load(files, seed);
    lab.maps.prepare(lab.view(), map_ramp_base);
    // Training goes ahead over warnings, so they are shown as notes where the curve stays in view.
    if (lab.usable() && !lab.problems.empty())
        lab.message = "note: " + joined_notes(lab.problems);
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
    if (!lab.saved_text(text, reason) || !write_file_atomically(path, text, reason)) {
        lab.message = "not saved: " + reason;
        return false;
    }
    lab.message = "saved " + path + " after " + std::to_string(lab.passes()) + " passes";
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
    const double budget = training_budget(lab.drawing_seconds);
    for (int press = 0; press < presses.count; ++press) {
        switch (presses.keys[press]) {
        case LabKey::StartPause: lab.start_pause(); break;
        case LabKey::OnePass: lab.one_pass(budget, clock); break;
        case LabKey::Faster: lab.faster(); break;
        case LabKey::Slower: lab.slower(); break;
        case LabKey::Reset: lab.reset(); break;
        case LabKey::Save: save_lab(lab, saved_file_name); break;
        case LabKey::HeldOut:
            // Another split starts another run, from the weights the file gave.
            lab.held_out_step = (lab.held_out_step + 1) % static_cast<int>(std::size(held_out_share_steps));
            lab.hold_out(held_out_share_steps[lab.held_out_step]);
            break;
        case LabKey::LearnThresholds:
            // R keeps the choice: it returns to the file's weights, not to its switch.
            lab.set_learn_thresholds(!lab.view().learn_thresholds);
            break;
        }
    }

    lab.train_frame(budget, clock);
    const double drawing_start = clock();
    if (lab.curve.points().empty())
        lab.measure();
    lab.rates.take(drawing_start, lab.passes());

    draw_lab(lab, buffer);
    lab.drawing_seconds = clock() - drawing_start;
}
