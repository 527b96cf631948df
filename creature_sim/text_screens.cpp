// Texts and sizes of the creature simulator's text screens.
#include "creature_sim/text_screens.h"

#include "palette/palette.h"

#include <allegro.h>

#include <cstdio>

namespace {

const TextLine help_lines[] = {
    {4, 10, "Keys:"},
    {15, 30, "mouse         - move spotlight"},
    {15, 42, "Alt + mouse   - move creature"},
    {15, 54, "mouse buttons - change size of spotlight"},
    {15, 76, "Numpad: 8,9,6  - change horizontal speed of spotlight"},
    {15, 88, "Numpad: 4,7,5  - change vertical speed of spotlight"},
    {15, 100, "Numpad: /,*,-  - tune creature's speed"},
    {15, 122, "L   - load network"},
    {15, 144, "F1  - this help"},
    {15, 156, "F12 - save screenshot (does NOT work in menus)"},
    {15, 168, "Esc - quit program"},
    {15, 190, "Press any key to leave help"},
};

constexpr int speed_message_right = 625;  // right end of the speed message
constexpr int speed_message_y = 8;

}  // namespace

const ShellScreens simulator_screens = {
    {"Network is incorrect!", "or is incorrect (wrong number of inputs or outputs)",
     "Loaded file is incorrect (wrong number of inputs or outputs)"},
    // The help waits for its key without pausing between looks at the keyboard.
    {help_lines, sizeof help_lines / sizeof help_lines[0], 445, 200, 0},
    {400, 450},
};

void draw_speed_message(BITMAP* target, char* text, std::size_t text_size,
                        double speedup_factor, int text_background)
{
    std::snprintf(text, text_size, "speedup_factor = %f", speedup_factor);
    textout_right_ex(target, font, text, speed_message_right, speed_message_y, info_color,
                     text_background);
}
