// Palette helpers shared by the programs.
#include "palette/palette.h"

#include <allegro.h>

void set_rgb(int index, int r, int g, int b)
{
    RGB rgb;
    rgb.r = static_cast<unsigned char>(r);
    rgb.g = static_cast<unsigned char>(g);
    rgb.b = static_cast<unsigned char>(b);
    rgb.filler = 0;
    set_color(index, &rgb);
}

void set_ramp(int first, int top_r, int top_g, int top_b)
{
    constexpr int last_entry = 255;
    constexpr int top_level = ramp_length - 1;
    for (int i = first; i < first + ramp_length && i <= last_entry; ++i) {
        const int level = i - first;
        set_rgb(i, level * top_r / top_level, level * top_g / top_level, level * top_b / top_level);
    }
}

void set_grey_ramp(int first)
{
    set_ramp(first, 63, 63, 63);
}

void set_shell_colors()
{
    set_rgb(error_color, 63, 5, 0);
    set_rgb(info_color, 55, 45, 10);
    set_rgb(dialog_bg_color, 0, 0, 20);
    set_rgb(dialog_fg_color, 0, 50, 0);
    gui_bg_color = dialog_bg_color;
    gui_fg_color = dialog_fg_color;
    set_rgb(help_bg_color, 0, 0, 10);
}
