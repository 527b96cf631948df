// net_tester's frame logic that a test can drive with a memory bitmap and a key table of its own.
#include "net_tester/tester.h"

#include "net_tester/screens.h"

#include <allegro.h>

#include <algorithm>
#include <cstddef>

namespace {

// Allegro key codes of inputs 1 to 10.
const int digit_keys[digit_key_count] = {KEY_1, KEY_2, KEY_3, KEY_4, KEY_5,
                                         KEY_6, KEY_7, KEY_8, KEY_9, KEY_0};

}  // namespace

void start_tester(Tester& tester, int screen_width, int screen_height)
{
    tester.screen_width = screen_width;
    tester.screen_height = screen_height;
    name_start_up_file(tester);
    load_network(tester);
    tester.first_file = true;
    tester.running = true;
}

void load_network(Tester& tester)
{
    tester.view.reset();  // the old network goes before the new file is read
    tester.view = std::make_unique<NetworkView>(tester.config_path, tester.screen_width,
                                                tester.screen_height);
    const int inputs = tester.view->input_count();
    tester.input_values.assign(static_cast<std::size_t>(inputs), 0.0);
    tester.key_input_count = std::min(inputs, digit_key_count);
    tester.no_inputs = inputs == 0;
}

void accept_selected_file(Tester& tester)
{
    load_network(tester);
    tester.first_file = false;
}

double mouse_value(int mouse_y, int screen_height)
{
    return 1.0 - mouse_y / static_cast<double>(screen_height - 1);
}

void follow_digit_keys(Tester& tester, const volatile char* key_state, double value)
{
    const int reachable = std::min(tester.key_input_count, static_cast<int>(tester.input_values.size()));
    for (int k = reachable; k >= 1; --k) {
        if (key_state[digit_keys[k - 1]])
            tester.input_values[static_cast<std::size_t>(k - 1)] = value;
    }
}

void run_frame(Tester& tester, BITMAP* buffer, const volatile char* key_state, int mouse_y)
{
    tester.view->evaluate();
    tester.view->draw(buffer, tester.text_background);
    if (tester.no_inputs)
        draw_error_panel(buffer, tester, tester_screens.error_panel);
    follow_digit_keys(tester, key_state, mouse_value(mouse_y, tester.screen_height));
    tester.view->set_inputs(tester.input_values);
}
