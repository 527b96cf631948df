// Texts and sizes of the creature simulator's text screens.
#include "creature_sim/text_screens.h"

#include "palette/palette.h"

#include <allegro.h>

#include <cstdio>

namespace {

const char* const key_lines[] = {
    "mouse         - move spotlight",
    "Alt + mouse   - move creature",
    "mouse buttons - change size of spotlight",
    nullptr,
    "Numpad: 8,9,6  - change horizontal speed of spotlight",
    "Numpad: 4,7,5  - change vertical speed of spotlight",
    "Numpad: /,*,-  - tune creature's speed",
};

constexpr int speed_message_right = 625;  // right end of the speed message
constexpr int speed_message_y = 8;

}  // namespace

const ShellScreens simulator_screens = {
    // Error panel: the headline, the start-up variant's second reason, the loaded-file
    // variant's first reason.
    {"Network is incorrect!", "or is incorrect (wrong number of inputs or outputs)",
     "Loaded file is incorrect (wrong number of inputs or outputs)"},
    // Help: title at (4, 10), groups 22 apart, panel to (445, 200); it waits for its key
    // without pausing between looks at the keyboard.
    {4, 10, key_lines, sizeof key_lines / sizeof key_lines[0], 22, 445, 200, 0},
    {400, 450},  // file selector
};

void draw_speed_message(BITMAP* target, char* text, std::size_t text_size,
                        double speedup_factor, int text_background)
{
    std::snprintf(text, text_size, "speedup_factor = %f", speedup_factor);
    textout_right_ex(target, font, text, speed_message_right, speed_message_y, info_color,
                     text_background);
}
