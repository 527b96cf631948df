// The shared screens drawn into memory: both variants of the error panel with a program's
// texts, the help column with its groups, the keys the shell answers, and the screenshot file.
#include "palette/palette.h"
#include "program_shell/program_shell.h"
#include "program_shell/screens.h"
#include "tests/support/headless_allegro.h"
#include "tests/support/test_support.h"

#include <allegro.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

const ErrorPanelTexts panel_texts = {"Headline!", "start-up reason", "loaded-file reason"};

class SharedScreens : public ::testing::Test {
protected:
    void SetUp() override { start_headless_allegro(); }

    MemoryBitmap target = make_bitmap(800, 600);
    ProgramShell shell;
};

TEST_F(SharedScreens, StartUpPanelNamesTheStartUpFile)
{
    name_start_up_file(shell);
    draw_error_panel(target.get(), shell, panel_texts);

    expect_texts(target.get(), error_color,
                 {{2, 10, "Headline!"},
                  {15, 30, "Possible reasons:"},
                  {35, 42, "File config_generated.txt is missing"},
                  {35, 54, "start-up reason"},
                  {15, 74, "Solutions:"},
                  {35, 86, "Quit, fix config_generated.txt and restart program"},
                  {35, 98, "or press L and load another configuration file"}});
    EXPECT_EQ(count_color(target.get(), 0, 108, 799, 599, error_color), 0);
    EXPECT_EQ(count_color(target.get(), 0, 0, 799, 599, info_color), 0);
}

TEST_F(SharedScreens, LoadedFilePanelShowsTheChosenPathButStillNamesTheStartUpFile)
{
    name_start_up_file(shell);
    std::snprintf(shell.config_path, sizeof shell.config_path, "%s", "/tmp/chosen.txt");
    shell.first_file = false;
    draw_error_panel(target.get(), shell, panel_texts);

    expect_texts(target.get(), error_color,
                 {{2, 10, "Headline!"},
                  {15, 30, "Possible reasons:"},
                  {35, 42, "loaded-file reason"},
                  {35, 54, "or path contains non-english characters"},
                  {15, 74, "Solutions:"},
                  {35, 86, "Fix your file and reload it"},
                  {35, 98, "or press L and load another configuration file"},
                  {35, 110, "or in case of incorrect path move your file into"},
                  {35, 122, "correct path and load again"}});
    expect_texts(target.get(), info_color,
                 {{15, 140, "Your selected path was:"}, {35, 152, "/tmp/chosen.txt"}});
    EXPECT_STREQ(shell.missing_line, "File config_generated.txt is missing");
}

TEST_F(SharedScreens, OpaqueTextBackgroundFillsBehindThePanelLines)
{
    name_start_up_file(shell);
    clear_to_color(target.get(), 7);
    shell.text_background = 0;
    draw_error_panel(target.get(), shell, panel_texts);

    const int width = text_length(font, "Headline!");
    EXPECT_EQ(count_color(target.get(), 2, 10, 2 + width - 1, 17, 7), 0);
    EXPECT_GT(count_color(target.get(), 2, 10, 2 + width - 1, 17, 0), 0);
}

TEST_F(SharedScreens, StartUpLinesOfALongPathAreCutToTheirBuffers)
{
    std::memset(shell.config_path, 'p', sizeof shell.config_path - 1);
    name_start_up_file(shell);

    EXPECT_EQ(std::strlen(shell.missing_line), sizeof shell.missing_line - 1);
    EXPECT_EQ(std::strncmp(shell.missing_line, "File ppp", 8), 0);
    EXPECT_EQ(std::strlen(shell.fix_line), sizeof shell.fix_line - 1);
    EXPECT_EQ(std::strncmp(shell.fix_line, "Quit, fix ppp", 13), 0);
}

TEST_F(SharedScreens, HelpColumnStartsAGroupAtEachGap)
{
    const char* const own_lines[] = {"first key", "second key", nullptr, "third key"};
    const HelpScreen help = {3, 6, own_lines, 4, 20, 300, 170, 0};
    draw_help_panel(target.get(), help, -1);

    expect_texts(target.get(), info_color,
                 {{3, 6, "Keys:"},
                  {15, 30, "first key"},
                  {15, 42, "second key"},
                  {15, 62, "third key"},
                  {15, 82, "L   - load network"},
                  {15, 102, "F1  - this help"},
                  {15, 114, "F12 - save screenshot (does NOT work in menus)"},
                  {15, 126, "Esc - quit program"},
                  {15, 146, "Press any key to leave help"}});
    EXPECT_EQ(getpixel(target.get(), 300, 170), help_bg_color);
    EXPECT_EQ(getpixel(target.get(), 301, 170), 0);
    EXPECT_EQ(getpixel(target.get(), 300, 171), 0);
}

TEST_F(SharedScreens, HelpWithoutOwnKeysStartsWithTheSharedOnes)
{
    const HelpScreen help = {4, 10, nullptr, 0, 22, 445, 200, 0};
    draw_help_panel(target.get(), help, -1);

    expect_texts(target.get(), info_color,
                 {{15, 40, "L   - load network"}, {15, 62, "F1  - this help"}});
    EXPECT_EQ(count_color(target.get(), 0, 0, 445, 39, info_color),
              count_color(target.get(), 4, 10, 4 + text_length(font, "Keys:") - 1, 17, info_color));
}

TEST_F(SharedScreens, BitmapFileHoldsThePixelsAndPaletteOrIsNotWrittenAtAll)
{
    putpixel(target.get(), 3, 5, info_color);
    putpixel(target.get(), 799, 599, error_color);
    RGB colour = {7, 21, 63, 0};
    set_color(info_color, &colour);
    TempDir directory;
    const std::string path = directory.file("shot.bmp");
    ASSERT_TRUE(write_bitmap_file(target.get(), path.c_str()));

    PALETTE palette;
    const MemoryBitmap read(load_bitmap(path.c_str(), palette));
    ASSERT_TRUE(read);
    ASSERT_EQ(read->w, 800);
    EXPECT_EQ(getpixel(read.get(), 3, 5), info_color);
    EXPECT_EQ(getpixel(read.get(), 799, 599), error_color);
    EXPECT_EQ(getpixel(read.get(), 0, 0), 0);
    EXPECT_EQ(palette[info_color].b, 63);

    EXPECT_FALSE(write_bitmap_file(target.get(), directory.file("missing/shot.bmp").c_str()));
    EXPECT_FALSE(write_bitmap_file(target.get(), (directory.file("missing") + "/").c_str()));
}

TEST(ShellKeys, EachKeyIsReadFromItsOwnEntry)
{
    const struct {
        ShellKey key;
        int code;
    } cases[] = {{ShellKey::load, KEY_L}, {ShellKey::quit, KEY_ESC},
                 {ShellKey::help, KEY_F1}, {ShellKey::screenshot, KEY_F12}};
    for (const auto& entry : cases) {
        char keys[KEY_MAX] = {};
        EXPECT_FALSE(shell_key_held(keys, entry.key)) << entry.code;
        keys[entry.code] = 1;
        for (const auto& other : cases)
            EXPECT_EQ(shell_key_held(keys, other.key), other.code == entry.code)
                << "held " << entry.code << ", asked " << other.code;
    }
}

}  // namespace
