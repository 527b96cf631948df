// The creature simulator's palette entries and the file selector's colours.
#include "creature_world/scene_colors.h"
#include "creature_world/scene_palette.h"

#include "tests/creature_world/headless.h"
#include "palette/palette.h"

#include <allegro.h>
#include <gtest/gtest.h>

namespace {

TEST(ScenePalette, SetsTheShellSensorAndLightEntries)
{
    start_headless_allegro();
    for (int index = 0; index < 256; ++index)
        set_rgb(index, 1, 2, 3);
    gui_bg_color = gui_fg_color = 0;

    set_scene_palette();

    expect_palette({{error_color, 63, 5, 0}, {info_color, 55, 45, 10}, {dialog_bg_color, 0, 0, 20},
                    {dialog_fg_color, 0, 50, 0}, {help_bg_color, 0, 0, 10},
                    {sensor_inner_color, 0, 0, 63}, {sensor_outer_color, 0, 58, 0}});
    EXPECT_EQ(gui_bg_color, dialog_bg_color);
    EXPECT_EQ(gui_fg_color, dialog_fg_color);
    expect_palette({{100, 0, 0, 0}, {131, 31, 31, 31}, {163, 63, 63, 63}, {164, 1, 2, 3},
                    {255, 1, 2, 3}, {89, 1, 2, 3}, {97, 1, 2, 3}, {0, 1, 2, 3}});
}

}  // namespace
