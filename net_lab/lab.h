// net_lab's state for the whole run and one frame of its loop, apart from the graphics
// set-up: the lab's session (a network with its training records, trained between frames),
// the keys and the picture. A frame is handed the presses of its keys since the frame before,
// so tests drive it with presses, a clock and a memory bitmap of their own.
#ifndef NET_LAB_LAB_H
#define NET_LAB_LAB_H

#include "lab_session/lab_session.h"
#include "net_lab/curve_drawing.h"
#include "net_lab/input_maps.h"
#include "network_view/network_view.h"
#include "program_shell/program_shell.h"

#include <string>

struct BITMAP;


// The keys a frame acts on once per press, in the order of the help screen. The shell's
// keys (L, F1, F12, Esc) are the shell's business.
enum class LabKey { StartPause, OnePass, Faster, Slower, Reset, Save, HeldOut, LearnThresholds };

// Presses of the lab's keys since the last frame, in the order they were typed: "." then S
// saves the weights after the pass. They come from the library's key buffer, so a press
// shorter than a slow frame still counts, and a held key repeats.
struct LabPresses {
    static constexpr int most = 64;  // as many as the library's key buffer holds
    LabKey keys[most] = {};
    int count = 0;
};

// Adds a press of the key with the library's scan code `scancode`; other keys, and presses
// beyond `most`, are ignored.
void add_press(LabPresses& presses, int scancode);

// The presses of the lab's keys waiting in the library's key buffer, which they leave.
LabPresses read_presses();

// The file S writes, in the working directory.
constexpr const char* saved_file_name = "trained.txt";

// The session's network is trained as a NetworkView laid out in the network area, so that
// it draws itself; the session's state is the page's.
struct Lab : ProgramShell, LabSession {
    Lab();
    // The network trained and drawn; there is one once a file has been loaded.
    NetworkView& view() { return static_cast<NetworkView&>(network()); }
    const NetworkView& view() const { return static_cast<const NetworkView&>(network()); }

    InputMaps maps;
    int held_out_step = 0;              // index into held_out_share_steps: none at start
    double drawing_seconds = 0.0;       // what the last frame's drawing took
    std::string message;                // the last save's outcome, or the notes on a file loaded
};

// Loads `files`, the missing weights completed from `seed`, and lays the network out in
// the network area. Problems with the files go to `problems`, line by line; when training
// can start over them (warnings), they also go to `message` as notes.
void load_lab(Lab& lab, const LabFiles& files, unsigned seed);

// Writes the network as it is now to `path` at once or not at all; refuses a path that is
// one of the files the network was loaded from, and a network the file format cannot hold
// (weights that are not finite numbers, a slope per neuron). Sets and returns
// the message shown.
bool save_lab(Lab& lab, const std::string& path);

// One frame: acts on the presses one after another, trains for at most the frame budget
// while training, measures the errors and draws everything onto `buffer` (800 x 600).
void run_lab_frame(Lab& lab, BITMAP* buffer, const LabPresses& presses, const SecondsClock& clock);

// net_lab's parts of the shared screens: error panel texts, help screen, file selector.
extern const ShellScreens lab_screens;

// The files of the command line loaded at start-up, the first one named in the shell's
// texts; `seed` completes missing weights.
void start_lab(Lab& lab, const LabFiles& files, unsigned seed);
// A file accepted in the file selector: its network and training records replace the old ones.
void load_selected_file(Lab& lab, unsigned seed);

#endif
