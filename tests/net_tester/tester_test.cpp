// net_tester's frame logic: start-up, loading, the error panel, digit keys with the mouse,
// the help panel and numbers that ignore the user's locale.
#include "net_tester/screens.h"
#include "net_tester/tester.h"
#include "palette/palette.h"
#include "program_shell/start_up.h"
#include "tests/net_tester/headless.h"

#include <allegro.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace {

const char* const xor_network =
    "input_layer: 2\n"
    "comp_layer: 2\n"
    "  weights: -3.24 4.13\n"
    "  weights: 4.24 -1.82\n"
    "comp_layer: 1\n"
    "  weights: 6.38 4.85\n"
    "treshold: 3\n"
    "slope_parameter: 2\n";

class TesterFrame : public ::testing::Test {
protected:
    void SetUp() override { start_headless_allegro(); }

    // Starts the tester on a network file of the given text, as after start-up.
    void start_with(const std::string& text)
    {
        ScopedWorkingDirectory inside(directory.file(""));
        write_text_file("config_generated.txt", text);
        start_tester(tester, 800, 600);
    }

    // Loads a network file of the given text as the file selector does; returns its path.
    std::string load(const std::string& name, const std::string& text)
    {
        const std::string path = directory.write(name, text);
        std::snprintf(tester.config_path, sizeof tester.config_path, "%s", path.c_str());
        accept_selected_file(tester);
        return path;
    }

    void frame(int mouse_y)
    {
        clear_bitmap(buffer.get());
        run_frame(tester, buffer.get(), keys, mouse_y);
    }

    double output_of(int neuron) const { return tester.view->neuron(neuron).output; }

    TempDir directory;
    MemoryBitmap buffer = make_bitmap(800, 600);
    char keys[KEY_MAX] = {};
    Tester tester;
};

TEST_F(TesterFrame, StartsOnTheFileOfTheWorkingDirectoryWithInputsAtZero)
{
    start_with(xor_network);

    EXPECT_EQ(tester.input_values, std::vector<double>(2, 0.0));
    EXPECT_EQ(tester.key_input_count, 2);
    EXPECT_FALSE(tester.no_inputs);
    EXPECT_TRUE(tester.first_file);
    frame(0);
    EXPECT_EQ(count_color(buffer.get(), 0, 0, 799, 599, error_color), 0);
    EXPECT_EQ(text_mismatch(buffer.get(), 35, 585, "0.000000", 101), "");  // below every line
}

TEST_F(TesterFrame, WithoutAFileShowsTheStartUpPanelAndLStillLoads)
{
    {
        ScopedWorkingDirectory inside(directory.file(""));
        start_tester(tester, 800, 600);
    }
    EXPECT_EQ(tester.view->neuron_count(), 0);
    EXPECT_TRUE(tester.no_inputs);
    EXPECT_EQ(tester.key_input_count, 0);

    frame(0);
    BITMAP* bmp = buffer.get();
    expect_texts(bmp, error_color,
                 {{2, 10, "Network has no inputs!"},
                  {35, 42, "File config_generated.txt is missing"},
                  {35, 54, "or is incorrect"}});
    EXPECT_EQ(count_color(bmp, 0, 108, 799, 599, error_color), 0);
    EXPECT_EQ(count_color(bmp, 0, 0, 799, 599, info_color), 0);

    load("good.txt", xor_network);
    EXPECT_FALSE(tester.no_inputs);
    EXPECT_EQ(tester.key_input_count, 2);
    frame(0);
    EXPECT_EQ(count_color(buffer.get(), 0, 0, 799, 599, error_color), 0);
}

TEST_F(TesterFrame, LoadedFileWithoutInputsShowsItsPathAndNeverTheStartUpVariant)
{
    start_with(xor_network);
    const std::string path = load("bad.txt", "comp_layer: 3\n");

    EXPECT_FALSE(tester.first_file);
    EXPECT_TRUE(tester.no_inputs);
    EXPECT_TRUE(tester.input_values.empty());
    frame(0);
    expect_texts(buffer.get(), error_color,
                 {{2, 10, "Network has no inputs!"}, {35, 42, "Loaded file is incorrect"}});
    expect_texts(buffer.get(), info_color, {{35, 152, path}});
}

TEST_F(TesterFrame, NegativeInputCountCountsAsNoInputs)
{
    start_with("input_layer: -3\ncomp_layer: 2\n");
    std::memset(keys, 1, sizeof keys);

    EXPECT_TRUE(tester.no_inputs);
    EXPECT_EQ(tester.key_input_count, 0);
    EXPECT_TRUE(tester.input_values.empty());
    frame(0);
    EXPECT_EQ(text_mismatch(buffer.get(), 2, 10, "Network has no inputs!", error_color), "");
}

TEST_F(TesterFrame, MouseRowGivesOneAtTheTopAndZeroAtTheBottom)
{
    EXPECT_EQ(mouse_value(0, 600), 1.0);
    EXPECT_EQ(mouse_value(599, 600), 0.0);
    EXPECT_DOUBLE_EQ(mouse_value(300, 600), 1.0 - 300.0 / 599.0);
}

TEST_F(TesterFrame, HeldDigitKeyMovesItsInputAndOutputsFollowInTheNextFrame)
{
    start_with(xor_network);
    frame(0);
    const double resting_output = output_of(4);

    keys[KEY_2] = 1;
    frame(0);
    EXPECT_EQ(tester.input_values, (std::vector<double>{0.0, 1.0}));
    EXPECT_EQ(output_of(1), 1.0);               // handed to the network in this frame
    EXPECT_EQ(output_of(4), resting_output);    // evaluated only in the next one
    frame(300);
    EXPECT_GT(output_of(4), 0.9);               // exclusive-or of 0 and 1
    EXPECT_EQ(text_mismatch(buffer.get(), 35, 585, "1.000000", 101), "");

    frame(599);
    EXPECT_EQ(tester.input_values, (std::vector<double>{0.0, 0.0}));
}

TEST_F(TesterFrame, ReleasedKeyFreezesItsInput)
{
    start_with(xor_network);
    keys[KEY_1] = 1;
    frame(100);
    keys[KEY_1] = 0;
    frame(500);
    frame(0);

    EXPECT_EQ(tester.input_values[0], mouse_value(100, 600));
    EXPECT_EQ(tester.input_values[1], 0.0);
}

TEST_F(TesterFrame, TwoHeldKeysTakeTheSameValue)
{
    start_with(xor_network);
    keys[KEY_1] = 1;
    keys[KEY_2] = 1;
    frame(200);

    EXPECT_EQ(tester.input_values, std::vector<double>(2, mouse_value(200, 600)));
}

TEST_F(TesterFrame, KeysBeyondTheInputCountDoNothing)
{
    start_with("input_layer: 3\n");
    for (int k : {KEY_4, KEY_5, KEY_6, KEY_7, KEY_8, KEY_9, KEY_0})
        keys[k] = 1;
    frame(0);

    EXPECT_EQ(tester.input_values, std::vector<double>(3, 0.0));
}

TEST_F(TesterFrame, TenthInputTakesKeyZeroAndLaterInputsStayAtZero)
{
    start_with("input_layer: 12\n");
    EXPECT_EQ(tester.key_input_count, 10);
    for (int k : {KEY_1, KEY_2, KEY_3, KEY_4, KEY_5, KEY_6, KEY_7, KEY_8, KEY_9, KEY_0})
        keys[k] = 1;
    frame(0);

    std::vector<double> expected(12, 1.0);
    expected[10] = expected[11] = 0.0;
    EXPECT_EQ(tester.input_values, expected);
    EXPECT_EQ(output_of(9), 1.0);   // the whole list reaches the network
    EXPECT_EQ(output_of(11), 0.0);
}

TEST_F(TesterFrame, AcceptedLoadPutsEveryInputBackAtZero)
{
    start_with(xor_network);
    keys[KEY_1] = 1;
    frame(0);
    keys[KEY_1] = 0;
    load("same_shape.txt", xor_network);

    EXPECT_EQ(tester.input_values, std::vector<double>(2, 0.0));
    frame(0);
    EXPECT_EQ(output_of(0), 0.0);
    EXPECT_EQ(output_of(1), 0.0);
}

TEST_F(TesterFrame, HelpPanelListsTheKeysOnItsOwnBackground)
{
    draw_help_panel(buffer.get(), tester_screens.help, -1);
    BITMAP* bmp = buffer.get();

    EXPECT_EQ(getpixel(bmp, 0, 0), help_bg_color);
    EXPECT_EQ(getpixel(bmp, 385, 164), help_bg_color);
    EXPECT_EQ(getpixel(bmp, 386, 164), 0);
    EXPECT_EQ(getpixel(bmp, 385, 165), 0);
    expect_texts(bmp, info_color,
                 {{5, 8, "Keys:"},
                  {15, 30, "1 + mouse up/down  - change first input"},
                  {15, 42, "2 + mouse up/down  - change second input"},
                  {15, 54, ".. + mouse up/down - change .. input"},
                  {15, 78, "L   - load network"},
                  {15, 102, "F1  - this help"},
                  {15, 114, "F12 - save screenshot (does NOT work in menus)"},
                  {15, 126, "Esc - quit program"},
                  {15, 150, "Press any key to leave help"}});
}

TEST_F(TesterFrame, ValuesKeepTheirFullStopUnderADecimalCommaLocale)
{
    start_with("input_layer: 1\ncomp_layer: 1\nweights: 0\n");
    DecimalCommaLocale german;
    if (!german.active())
        GTEST_SKIP() << "no German locale on this machine";

    frame(0);  // evaluates the output neuron to 0.5
    frame(0);
    EXPECT_EQ(text_mismatch(buffer.get(), 735, 45, "0,500000", 101), "");  // what users saw

    use_c_numeric_locale();
    frame(0);
    EXPECT_EQ(text_mismatch(buffer.get(), 735, 45, "0.500000", 101), "");
}

TEST(ShippedExample, ExclusiveOrNetworkAnswersItsFourPatterns)
{
    start_headless_allegro();
    NetworkView view(EXAMPLES_DIR "/xor.txt", 800, 600);
    ASSERT_EQ(view.input_count(), 2);
    ASSERT_EQ(view.output_count(), 1);

    const double patterns[4][3] = {{0, 0, 0}, {0, 1, 1}, {1, 0, 1}, {1, 1, 0}};
    for (const auto& pattern : patterns) {
        ASSERT_TRUE(view.set_inputs({pattern[0], pattern[1]}));
        view.evaluate();
        EXPECT_NEAR(view.neuron(4).output, pattern[2], 0.1) << pattern[0] << " " << pattern[1];
    }
}

}  // namespace
