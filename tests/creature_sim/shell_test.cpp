// One frame of the shell driven by a key table of its own: the error panel variants, the
// numpad's effect on speeds, the mouse buttons on the radius, the mouse on the objects.
#include "creature_sim/shell.h"

#include "creature_world/scene_colors.h"
#include "tests/creature_world/headless.h"
#include "palette/palette.h"

#include <allegro.h>
#include <gtest/gtest.h>

#include <cstring>

namespace {

// The mouse movement the next frame reads; a frame takes it and leaves 0.
int pending_mickey_x = 0;
int pending_mickey_y = 0;

void read_test_mickeys(int* mickey_x, int* mickey_y)
{
    *mickey_x = pending_mickey_x;
    *mickey_y = pending_mickey_y;
    pending_mickey_x = pending_mickey_y = 0;
}

class ShellTest : public ::testing::Test {
protected:
    void SetUp() override { pending_mickey_x = pending_mickey_y = 0; }

    std::unique_ptr<SimulatorShell> make_shell(const std::string& path)
    {
        return std::make_unique<SimulatorShell>(buffer.get(), path.c_str());
    }

    // Runs one frame the way the program does, keeping the buffer's picture for checks
    // when `keep_picture` is set.
    void frame(SimulatorShell& shell, bool keep_picture = false)
    {
        run_frame(shell, input, display.get());
        if (!keep_picture)
            clear_bitmap(buffer.get());
    }

    bool has_color(int color) { return count_color(buffer.get(), 0, 0, 639, 479, color) > 0; }

    MemoryBitmap buffer = make_bitmap(640, 480);
    MemoryBitmap display = make_bitmap(640, 480);
    char keys[KEY_MAX] = {};
    int mouse_buttons = 0;
    FrameInput input{keys, &mouse_buttons, read_test_mickeys};
    TempDir directory;
    const std::string good = directory.write("good.txt", network_layers({3, 4}));
};

TEST_F(ShellTest, StartsWithTheGivenFileAndItsTexts)
{
    auto shell = make_shell(good);
    EXPECT_EQ(shell->config_path, good);
    EXPECT_EQ(shell->missing_line, "File " + good + " is missing");
    EXPECT_EQ(shell->fix_line, "Quit, fix " + good + " and restart program");
    EXPECT_STREQ(shell->dialog_title, "Load new configuration file");
    EXPECT_EQ(shell->initial_speedup, 3.0);
    EXPECT_TRUE(shell->first_file);
    EXPECT_TRUE(shell->running);
    EXPECT_EQ(shell->spotlight->radius, 64);
}

TEST_F(ShellTest, LongStartPathsAreCutToTheirLines)
{
    const std::string long_path(600, 'a');
    auto shell = make_shell(long_path.c_str());
    EXPECT_EQ(std::strlen(shell->config_path), sizeof shell->config_path - 1);
    EXPECT_EQ(std::strlen(shell->missing_line), sizeof shell->missing_line - 1);
    EXPECT_EQ(std::strlen(shell->fix_line), sizeof shell->fix_line - 1);
}

TEST_F(ShellTest, MissingStartFileShowsTheStartUpPanel)
{
    auto shell = make_shell("config_generated.txt");
    // The test's working directory holds no such file.
    ASSERT_TRUE(shell->creature->network_not_3_in_4_out);
    frame(*shell, true);
    expect_texts(buffer.get(), error_color,
                 {{2, 10, "Network is incorrect!"},
                  {35, 42, "File config_generated.txt is missing"},
                  {35, 54, "or is incorrect (wrong number of inputs or outputs)"}});
    EXPECT_FALSE(has_color(info_color));
}

TEST_F(ShellTest, AfterALoadThePanelShowsTheChosenPath)
{
    const std::string two_inputs = directory.write("two.txt", network_layers({2, 4}));
    auto shell = make_shell(directory.file("missing.txt"));
    std::snprintf(shell->config_path, sizeof shell->config_path, "%s", two_inputs.c_str());
    shell->creature->load_network(shell->config_path);
    shell->first_file = false;
    frame(*shell, true);
    expect_texts(buffer.get(), error_color,
                 {{2, 10, "Network is incorrect!"},
                  {35, 42, "Loaded file is incorrect (wrong number of inputs or outputs)"}});
    expect_texts(buffer.get(), info_color, {{35, 152, two_inputs}});
}

TEST_F(ShellTest, ASuitableNetworkShowsNoPanel)
{
    auto shell = make_shell(good);
    frame(*shell, true);
    EXPECT_FALSE(has_color(error_color));
    EXPECT_TRUE(has_color(sensor_inner_color));
    EXPECT_EQ(getpixel(buffer.get(), 100, 100), light_base_color + 63);
}

TEST_F(ShellTest, AFrameSensesTheSpotlightDrawnInIt)
{
    auto shell = make_shell(directory.write("seeker.txt", network_with_outputs(0.5, 0.5, 0.5, 0.5)));
    shell->creature->x = 100.0;
    shell->creature->y = 105.0;  // sensor 1 on the centre of this frame's light at (100, 100)
    frame(*shell);
    EXPECT_EQ(shell->creature->inputs[1], 63 / 64.0);
}

TEST_F(ShellTest, HoldingAsteriskFor100FramesRaisesTheSpeedToFour)
{
    auto shell = make_shell(good);
    keys[KEY_ASTERISK] = 1;
    for (int i = 0; i < 99; ++i)
        frame(*shell);
    frame(*shell, true);
    EXPECT_NEAR(shell->creature->speedup_factor, 4.0, 1e-9);
    EXPECT_STREQ(shell->speed_text, "speedup_factor = 4.000000");
    const int width = text_length(font, shell->speed_text);
    EXPECT_EQ(text_mismatch(buffer.get(), 625 - width, 8, shell->speed_text, info_color), "");
}

TEST_F(ShellTest, SlashStopsTheSpeedAtZeroAndMinusRestoresExactlyThree)
{
    auto shell = make_shell(good);
    keys[KEY_SLASH_PAD] = 1;
    for (int i = 0; i < 400; ++i)
        frame(*shell);
    EXPECT_EQ(shell->creature->speedup_factor, 0.0);
    keys[KEY_SLASH_PAD] = 0;
    keys[KEY_MINUS_PAD] = 1;
    frame(*shell);
    EXPECT_EQ(shell->creature->speedup_factor, 3.0);
    EXPECT_STREQ(shell->speed_text, "speedup_factor = 3.000000");
}

TEST_F(ShellTest, SpeedMessageShowsOnlyWhileItsKeyIsDown)
{
    auto shell = make_shell(good);
    frame(*shell, true);
    EXPECT_FALSE(has_color(info_color));
    clear_bitmap(buffer.get());
    keys[KEY_MINUS_PAD] = 1;
    frame(*shell, true);
    EXPECT_TRUE(has_color(info_color));
}

TEST_F(ShellTest, NumpadKeysSteerTheSpotlight)
{
    auto shell = make_shell(good);
    keys[KEY_9_PAD] = 1;
    keys[KEY_7_PAD] = 1;
    frame(*shell);
    EXPECT_NEAR(shell->spotlight->vx, 1.1, 1e-12);
    EXPECT_NEAR(shell->spotlight->vy, 0.9, 1e-12);
    keys[KEY_9_PAD] = keys[KEY_7_PAD] = 0;
    keys[KEY_8_PAD] = 1;
    keys[KEY_4_PAD] = 1;
    frame(*shell);
    frame(*shell);
    EXPECT_NEAR(shell->spotlight->vx, 0.9, 1e-12);
    EXPECT_NEAR(shell->spotlight->vy, 1.1, 1e-12);
    keys[KEY_8_PAD] = keys[KEY_4_PAD] = 0;
    keys[KEY_6_PAD] = 1;
    frame(*shell);
    EXPECT_EQ(shell->spotlight->vx, 0.0);
    EXPECT_NEAR(shell->spotlight->vy, 1.1, 1e-12);
    keys[KEY_5_PAD] = 1;
    frame(*shell);
    EXPECT_EQ(shell->spotlight->vy, 0.0);
}

TEST_F(ShellTest, RightButtonNarrowsTheLightDownToFour)
{
    auto shell = make_shell(good);
    mouse_buttons = 2;
    for (int expected = 59; expected >= 4; expected -= 5) {
        frame(*shell);
        EXPECT_EQ(shell->spotlight->radius, expected);
    }
    for (int i = 0; i < 5; ++i)
        frame(*shell);
    EXPECT_EQ(shell->spotlight->radius, 4);
    EXPECT_EQ(shell->spotlight->sprite.side, 8);
}

TEST_F(ShellTest, BothButtonsCancelOut)
{
    auto shell = make_shell(good);
    mouse_buttons = 3;
    for (int i = 0; i < 5; ++i)
        frame(*shell);
    EXPECT_EQ(shell->spotlight->radius, 64);
}

TEST_F(ShellTest, LeftButtonWidensTheLightUpToTheCeiling)
{
    auto shell = make_shell(good);
    mouse_buttons = 1;
    frame(*shell);
    EXPECT_EQ(shell->spotlight->radius, 69);
    shell->spotlight->radius = Spotlight::max_radius - 2;
    frame(*shell);
    EXPECT_EQ(shell->spotlight->radius, Spotlight::max_radius);
    frame(*shell);
    frame(*shell);
    EXPECT_EQ(shell->spotlight->radius, Spotlight::max_radius);
    EXPECT_EQ(shell->spotlight->sprite_radius, Spotlight::max_radius);
}

TEST_F(ShellTest, MouseMovesTheSpotlightAndWithAltTheCreature)
{
    auto shell = make_shell(directory.file("missing.txt"));
    pending_mickey_x = 30;
    pending_mickey_y = -20;
    frame(*shell);
    EXPECT_EQ(shell->spotlight->x, 131.0);
    EXPECT_EQ(shell->spotlight->y, 81.0);
    EXPECT_EQ(shell->creature->x, 320.0);

    keys[KEY_ALT] = 1;
    pending_mickey_x = 7;
    pending_mickey_y = 9;
    frame(*shell);
    EXPECT_EQ(shell->creature->x, 327.0);
    EXPECT_EQ(shell->creature->y, 249.0);
    EXPECT_EQ(shell->spotlight->x, 132.0);
    EXPECT_EQ(shell->spotlight->y, 82.0);
}

TEST_F(ShellTest, AStoppedCreatureStaysWhereTheMousePutIt)
{
    auto shell = make_shell(directory.file("missing.txt"));
    keys[KEY_ALT] = 1;
    pending_mickey_x = 1000;
    frame(*shell);
    frame(*shell);
    EXPECT_EQ(shell->creature->x, 1320.0);
}

}  // namespace
