// The creature simulator's palette entries and the file selector's colours.
#include "creature_sim/scene_colors.h"

#include "headless.h"
#include "palette/palette.h"

#include <allegro.h>
#include <gtest/gtest.h>

namespace {

void expect_entry(int index, int r, int g, int b)
{
    RGB rgb;
    get_color(index, &rgb);
    EXPECT_EQ(rgb.r, r) << "entry " << index;
    EXPECT_EQ(rgb.g, g) << "entry " << index;
    EXPECT_EQ(rgb.b, b) << "entry " << index;
}

TEST(ScenePalette, SetsTheShellSensorAndLightEntries)
{
    start_headless_library();
    for (int index = 0; index < 256; ++index)
        set_rgb(index, 1, 2, 3);
    gui_bg_color = gui_fg_color = 0;

    set_scene_palette();

    expect_entry(error_color, 63, 5, 0);
    expect_entry(info_color, 55, 45, 10);
    expect_entry(dialog_bg_color, 0, 0, 20);
    expect_entry(dialog_fg_color, 0, 50, 0);
    expect_entry(help_bg_color, 0, 0, 10);
    expect_entry(sensor_inner_color, 0, 0, 63);
    expect_entry(sensor_outer_color, 0, 58, 0);
    EXPECT_EQ(gui_bg_color, dialog_bg_color);
    EXPECT_EQ(gui_fg_color, dialog_fg_color);
    expect_entry(100, 0, 0, 0);
    expect_entry(131, 31, 31, 31);
    expect_entry(163, 63, 63, 63);
    expect_entry(164, 1, 2, 3);
    expect_entry(255, 1, 2, 3);
    expect_entry(89, 1, 2, 3);
    expect_entry(97, 1, 2, 3);
    expect_entry(0, 1, 2, 3);
}

}  // namespace
