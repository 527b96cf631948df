// The state of net_tester's frame loop and the parts of a frame that need no screen:
// evaluation, drawing, the error panel, and the digit keys that move inputs with the mouse.
#ifndef NET_TESTER_TESTER_H
#define NET_TESTER_TESTER_H

#include "network_view/network_view.h"
#include "program_shell/program_shell.h"

#include <memory>
#include <vector>

struct BITMAP;

// Inputs the main-row digit keys reach: 1 to 9, then 0 for the tenth.
constexpr int digit_key_count = 10;

struct Tester : ProgramShell {
    std::unique_ptr<NetworkView> view;
    std::vector<double> input_values;  // one per input neuron, those beyond the tenth included
    int key_input_count = 0;           // inputs that digit keys reach
    bool no_inputs = true;             // the error panel is drawn while it holds
    int screen_width = 0;              // the screen the view is laid out for
    int screen_height = 0;
};

// Builds the messages from the start-up path and loads the start-up network.
void start_tester(Tester& tester, int screen_width, int screen_height);

// Replaces the view with a new one built from config_path, all inputs back at 0.0.
void load_network(Tester& tester);

// A file accepted in the file selector: the network from config_path replaces the old one,
// and from now on the error panel speaks of the loaded file.
void accept_selected_file(Tester& tester);

// Input value of a mouse row: 1.0 on the top row, 0.0 on the bottom row.
double mouse_value(int mouse_y, int screen_height);

// While a digit key is held, its input takes `value`; `key_state` is indexed by Allegro key codes.
void follow_digit_keys(Tester& tester, const volatile char* key_state, double value);

// Frame steps before the action keys: evaluate, draw the view and the error panel onto
// `buffer`, move the inputs of held digit keys to the mouse row, hand all inputs to the network.
void run_frame(Tester& tester, BITMAP* buffer, const volatile char* key_state, int mouse_y);

#endif
