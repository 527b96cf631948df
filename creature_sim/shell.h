// The creature simulator's shell: the state main keeps for the whole run and one frame of
// its loop. The frame reads the keyboard and mouse through FrameInput, so a test can drive
// it with a key table of its own and draw into memory bitmaps.
#ifndef CREATURE_SIM_SHELL_H
#define CREATURE_SIM_SHELL_H

#include "creature_world/creature.h"
#include "creature_world/spotlight.h"
#include "program_shell/program_shell.h"

#include <memory>

struct BITMAP;

// Where a frame reads its input: the library's `key`, `mouse_b` and get_mouse_mickeys in the
// program, a test's own table and counters in tests.
struct FrameInput {
    const volatile char* keys;          // held state, indexed by the library's KEY_ codes
    const volatile int* mouse_buttons;  // bit 0 left, bit 1 right
    void (*read_mickeys)(int* mickey_x, int* mickey_y);  // movement since the last call
};

class SimulatorShell : public ProgramShell {
public:
    // Builds the creature (reading the network file at `start_path`) and the spotlight on
    // `buffer`, which the caller owns and keeps alive.
    SimulatorShell(BITMAP* buffer, const char* start_path);

    // Frame steps before the input is read: spotlight update and draw, creature step and
    // draw, and the error panel while the network is unusable.
    void step_world();
    // Adds the mouse movement to the creature while Alt is held, else to the spotlight.
    void move_by_mouse(bool alt_held);
    // The numpad keys: spotlight velocity and creature speed; draws the speed message.
    void apply_held_keys(const volatile char* keys);
    // Left button widens the spotlight (up to its ceiling), right narrows it down to 5.
    void apply_mouse_buttons(int buttons);

    BITMAP* buffer;  // not owned
    std::unique_ptr<Creature> creature;
    double initial_speedup;
    double speedup_step = 0.01;
    std::unique_ptr<Spotlight> spotlight;
    double spot_speed_step = 0.1;
    int radius_step = 5;
    int mickey_x = 0;
    int mickey_y = 0;
    char speed_text[90] = "";

private:
    void show_speed();
};

// Frame steps up to presenting: world, mouse, keys, buttons, then L (file selector),
// Esc (quit message), F1 (help) and F12 (screenshot), which use `display` directly.
void run_frame(SimulatorShell& shell, const FrameInput& input, BITMAP* display);

#endif
