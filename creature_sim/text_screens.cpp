// Texts, positions and pauses of the creature simulator's text screens.
#include "creature_sim/text_screens.h"

#include "palette/palette.h"

#include <allegro.h>

#include <cstdio>

namespace {

struct TextLine {
    int x;
    int y;
    const char* text;
};

void draw_lines(BITMAP* target, const TextLine* lines, std::size_t count, int color,
                int text_background)
{
    for (std::size_t i = 0; i < count; ++i)
        textout_ex(target, font, lines[i].text, lines[i].x, lines[i].y, color, text_background);
}

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

}  // namespace

void draw_start_up_error_panel(BITMAP* target, const char* missing_line, const char* fix_line,
                               int text_background)
{
    const TextLine lines[] = {
        {2, 10, "Network is incorrect!"},
        {15, 30, "Possible reasons:"},
        {35, 42, missing_line},
        {35, 54, "or is incorrect (wrong number of inputs or outputs)"},
        {15, 74, "Solutions:"},
        {35, 86, fix_line},
        {35, 98, "or press L and load another configuration file"},
    };
    draw_lines(target, lines, sizeof lines / sizeof lines[0], error_color, text_background);
}

void draw_loaded_file_error_panel(BITMAP* target, const char* config_path, int text_background)
{
    const TextLine error_lines[] = {
        {2, 10, "Network is incorrect!"},
        {15, 30, "Possible reasons:"},
        {35, 42, "Loaded file is incorrect (wrong number of inputs or outputs)"},
        {35, 54, "or path contains non-english characters"},
        {15, 74, "Solutions:"},
        {35, 86, "Fix your file and reload it"},
        {35, 98, "or press L and load another configuration file"},
        {35, 110, "or in case of incorrect path move your file into"},
        {35, 122, "correct path and load again"},
    };
    const TextLine path_lines[] = {
        {15, 140, "Your selected path was:"},
        {35, 152, config_path},
    };
    draw_lines(target, error_lines, sizeof error_lines / sizeof error_lines[0], error_color,
               text_background);
    draw_lines(target, path_lines, sizeof path_lines / sizeof path_lines[0], info_color,
               text_background);
}

void draw_speed_message(BITMAP* target, char* text, std::size_t text_size,
                        double speedup_factor, int text_background)
{
    std::snprintf(text, text_size, "speedup_factor = %f", speedup_factor);
    textout_right_ex(target, font, text, 625, 8, info_color, text_background);
}

bool select_network_file(const char* title, char* path)
{
    return file_select_ex(title, path, "TXT", 490, 400, 450) != 0;
}

void show_help(BITMAP* display, int text_background)
{
    rectfill(display, 0, 0, 445, 200, help_bg_color);
    draw_lines(display, help_lines, sizeof help_lines / sizeof help_lines[0], info_color,
               text_background);
    rest(100);
    clear_keybuf();  // the F1 press itself does not leave the help
    while (!keypressed())
        rest(0);  // yields the processor between polls, without pausing
    rest(250);
}

void show_quit_message(BITMAP* display, int text_background)
{
    textout_ex(display, font, "ESC pressed, will QUIT", 2, 2, error_color, text_background);
    rest(2000);
}

void save_screenshot(BITMAP* buffer, BITMAP* display, int text_background)
{
    PALETTE palette;
    get_palette(palette);
    save_bitmap("screenshot.bmp", buffer, palette);
    textout_ex(display, font, "Screenshot saved", 2, 2, info_color, text_background);
    rest(2000);
}
