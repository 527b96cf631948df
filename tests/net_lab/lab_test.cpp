// Whole frames of net_lab on a memory bitmap, driven by keys of the test's own and a clock
// that stands still: training to convergence, reset, save, keys in their order, outputs that
// are not numbers, networks the file format cannot hold, and files it cannot use.
#include "net_lab/command_line.h"
#include "net_lab/lab.h"

#include "net_lab/lab_screen.h"
#include "palette/palette.h"
#include "tests/support/headless_allegro.h"
#include "tests/support/test_support.h"

#include <allegro.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>

namespace {

const SecondsClock still_clock = [] { return 0.0; };

class LabTest : public ::testing::Test {
protected:
    void SetUp() override { start_headless_allegro(); }

    // One frame after presses of the keys with these scan codes.
    void frame(std::initializer_list<int> pressed = {})
    {
        LabPresses presses;
        for (int code : pressed)
            add_press(presses, code);
        run_lab_frame(lab, buffer.get(), presses, still_clock);
    }

    void press(int code) { frame({code}); }

    std::string example(const std::string& name) const { return std::string(EXAMPLES_DIR) + "/" + name; }

    Lab lab;
    MemoryBitmap buffer = make_bitmap(lab_screen_width, lab_screen_height);
    TempDir directory;
};

TEST_F(LabTest, SpaceTrainsExclusiveOrUntilItConvergesAndSTheSavesIt)
{
    load_lab(lab, {example("exclusive_or_training.txt"), ""}, 1);
    Network reference(example("exclusive_or_training.txt").c_str());
    reference.read_training_section(example("exclusive_or_training.txt").c_str());
    ASSERT_EQ(reference.train(nullptr), Converged);

    frame();
    EXPECT_EQ(lab.stepper.state, TrainingState::Paused);
    press(KEY_SPACE);
    for (int frames = 0; frames < 1000 && lab.stepper.state == TrainingState::Training; ++frames)
        frame();
    EXPECT_EQ(lab.stepper.state, TrainingState::Converged);
    EXPECT_EQ(lab.stepper.run.passes_done(), reference.iterations_done);
    EXPECT_EQ(all_weights(lab.view()), all_weights(reference));
    EXPECT_LE(lab.errors.worst, lab.view().error_limit);
    EXPECT_GT(lab.curve.points().size(), 2u);

    const std::string saved = directory.file("trained.txt");
    ASSERT_TRUE(save_lab(lab, saved)) << lab.message;
    Network written(saved.c_str());
    written.read_training_section(example("exclusive_or_training.txt").c_str());
    EXPECT_EQ(written.train(nullptr), Converged);
    EXPECT_EQ(written.iterations_done, 0);
}

TEST_F(LabTest, KeysStepPassesResetAndChangeTheSpeed)
{
    load_lab(lab, {example("exclusive_or_training.txt"), ""}, 1);
    const std::vector<double> initial = all_weights(lab.view());
    press(KEY_STOP);
    press(KEY_STOP);
    EXPECT_EQ(lab.stepper.run.passes_done(), 2);
    EXPECT_NE(all_weights(lab.view()), initial);
    frame({KEY_STOP, KEY_DEL_PAD, KEY_L});  // two presses in one frame; L is the shell's
    EXPECT_EQ(lab.stepper.run.passes_done(), 4);
    press(KEY_R);
    EXPECT_EQ(lab.stepper.run.passes_done(), 0);
    EXPECT_EQ(all_weights(lab.view()), initial);
    EXPECT_EQ(lab.curve.points().size(), 1u);

    const int start = passes_per_frame_steps[lab.speed_step];
    press(KEY_PLUS_PAD);
    EXPECT_GT(passes_per_frame_steps[lab.speed_step], start);
    for (int i = 0; i < 40; ++i)
        press(KEY_MINUS);
    EXPECT_EQ(passes_per_frame_steps[lab.speed_step], 1);
    for (int i = 0; i < 40; ++i)
        press(KEY_EQUALS);
    EXPECT_GE(passes_per_frame_steps[lab.speed_step], 10000);
}

// Typed within one frame, through the library's key buffer, keys act in their order.
TEST_F(LabTest, KeysOfOneFrameActInTheOrderTyped)
{
    const struct {
        std::vector<int> typed;  // Allegro key codes: scan code and character
        int passes_saved;
    } cases[] = {
        {{KEY_STOP << 8 | '.', KEY_S << 8 | 's'}, 1},
        {{KEY_S << 8 | 's', KEY_STOP << 8 | '.'}, 0},
        {{KEY_STOP << 8 | '.', KEY_R << 8 | 'r', KEY_STOP << 8 | '.', KEY_S << 8 | 's'}, 1},
    };
    // Without a display there is no keyboard driver; hooks that never see a key let
    // simulate_keypress fill the library's key buffer, which readkey() then empties in order.
    install_keyboard_hooks([] { return 0; }, [] { return 0; });
    const ScopedWorkingDirectory inside(directory.file(""));
    for (const auto& typed : cases) {
        load_lab(lab, {example("exclusive_or_training.txt"), ""}, 1);
        std::vector<std::string> texts;  // the network's text after each pass
        Network stepped = lab.view();
        for (int pass = 0; pass <= 2; ++pass) {
            std::ostringstream text;
            stepped.write_network(text);
            texts.push_back(text.str());
            TrainingRun(stepped.max_iterations).step(stepped, 1);
        }
        clear_keybuf();
        for (int code : typed.typed)
            simulate_keypress(code);
        run_lab_frame(lab, buffer.get(), read_presses(), still_clock);
        EXPECT_FALSE(keypressed());
        EXPECT_EQ(lab.message, "saved trained.txt after " + std::to_string(typed.passes_saved) + " passes");
        EXPECT_EQ(read_text_file(saved_file_name), texts[static_cast<std::size_t>(typed.passes_saved)])
            << typed.typed.size() << " keys";
    }
}

// The engine's check lets a difference that is not a number pass; such a run is no convergence.
TEST_F(LabTest, OutputsThatAreNotNumbersEndTheRunAndWeightsThatAreNotFiniteAreNotSaved)
{
    const struct {
        const char* records;
        bool weights_finite;
    } cases[] = {
        // 10 * 1e308 and 10 * -1e308 overflow to +inf and -inf, whose sum is not a number.
        {"  weights: 10 10\npattern: 1e308 -1e308 -> 0.5\n", true},
        // One pass trains on that output and makes the weights not numbers.
        {"  weights: 10 -9\npattern: 0 0 -> 1\npattern: 1e308 1e308 -> 1\nmax_iterations: 3\n", false},
    };
    for (const auto& network : cases) {
        const std::string file = directory.write("huge.txt", std::string("input_layer: 2\ncomp_layer: 1\n") +
                                                                 network.records);
        load_lab(lab, {file, ""}, 1);
        press(KEY_SPACE);
        for (int frames = 0; frames < 10 && lab.stepper.state == TrainingState::Training; ++frames)
            frame();
        EXPECT_EQ(lab.stepper.state, TrainingState::NotNumbers) << network.records;
        EXPECT_STREQ(state_name(lab.stepper.state), "outputs are not numbers");
        const std::string saved = directory.file(network.weights_finite ? "finite.txt" : "not_finite.txt");
        EXPECT_EQ(save_lab(lab, saved), network.weights_finite) << lab.message;
        if (network.weights_finite)
            continue;
        EXPECT_EQ(lab.message.rfind("not saved: training gave weights that are not finite numbers", 0), 0u)
            << lab.message;
        EXPECT_FALSE(std::filesystem::exists(saved));
        press(KEY_R);
        EXPECT_EQ(lab.stepper.state, TrainingState::Paused);
    }
}

// A "slope_parameter:" between two layers gives the layers different slopes, which no file holds.
TEST_F(LabTest, ANetworkTheFileFormatCannotHoldIsNotSavedAndSaysWhy)
{
    const std::string file = directory.write("two.txt", "input_layer: 2\ncomp_layer: 2\nslope_parameter: 0.7\n"
                                                          "comp_layer: 1\npattern: 0 1 -> 1\n");
    load_lab(lab, {file, ""}, 1);
    const std::string saved = directory.file("trained.txt");
    EXPECT_FALSE(save_lab(lab, saved));
    EXPECT_EQ(lab.message.rfind("not saved: the file format cannot hold the network: slope parameters", 0), 0u)
        << lab.message;
    EXPECT_FALSE(std::filesystem::exists(saved));
}

TEST_F(LabTest, TLearnsThresholdsAsTheEngineDoesAndRKeepsTheChoice)
{
    load_lab(lab, {example("exclusive_or_training.txt"), ""}, 1);
    Network reference(example("exclusive_or_training.txt").c_str());
    reference.read_training_section(example("exclusive_or_training.txt").c_str());
    reference.learn_thresholds = true;
    reference.max_iterations = 2;
    reference.train(nullptr);
    frame({KEY_T, KEY_STOP, KEY_R, KEY_STOP, KEY_STOP});
    ASSERT_TRUE(lab.view().learn_thresholds);
    EXPECT_EQ(all_weights(lab.view()), all_weights(reference));
    for (int i = 0; i < reference.neuron_count(); ++i)
        EXPECT_EQ(lab.view().neuron(i).threshold, reference.neuron(i).threshold) << "neuron " << i;
    const std::string saved = directory.file("trained.txt");
    EXPECT_TRUE(save_lab(lab, saved)) << lab.message;
    EXPECT_NE(read_text_file(saved).find("neuron_threshold: "), std::string::npos);
    press(KEY_T);
    EXPECT_FALSE(lab.view().learn_thresholds);
}

TEST_F(LabTest, MapsAreEvaluatedAgainOnlyWhenTheWeightsChange)
{
    load_lab(lab, {example("exclusive_or_training.txt"), ""}, 1);
    frame();
    ASSERT_TRUE(lab.maps.active());
    std::fill(lab.maps.values.begin(), lab.maps.values.end(), -1.0);
    frame();
    EXPECT_EQ(lab.maps.value(0, 0, 0), -1.0);
    press(KEY_STOP);
    EXPECT_GT(lab.maps.value(0, 0, 0), 0.0);
}

TEST_F(LabTest, TheSameSeedCompletesMissingWeightsAlike)
{
    const std::string file = directory.write("n.txt", network_layers({2, 3, 1}) + "pattern: 0 1 -> 1\n");
    load_lab(lab, {file, ""}, 42);
    const std::vector<double> first = all_weights(lab.view());
    Lab again;
    load_lab(again, {file, ""}, 42);
    EXPECT_EQ(all_weights(again.view()), first);
    load_lab(again, {file, ""}, 43);
    EXPECT_NE(all_weights(again.view()), first);
}

TEST_F(LabTest, SavingNeverReplacesTheFilesLoaded)
{
    const std::string network = directory.write("trained.txt", "input_layer: 2\ncomp_layer: 1\npattern: 0 1 -> 1\n");
    const std::string before = read_text_file(network);
    load_lab(lab, {network, ""}, 1);
    EXPECT_FALSE(save_lab(lab, network));
    EXPECT_EQ(read_text_file(network), before);
    EXPECT_NE(lab.message.find("is the file loaded"), std::string::npos) << lab.message;

    EXPECT_FALSE(save_lab(lab, directory.file("no such directory/trained.txt")));
    EXPECT_EQ(lab.message.compare(0, 10, "not saved:"), 0) << lab.message;
}

TEST_F(LabTest, FilesWithoutUsablePatternsSayWhyWithTheirLines)
{
    const std::string network = directory.write("n.txt", "input_layer: 2\ncomp_layer: 1\n"
                                                          "pattern: 0 1 -> 1\npattern: 0 x -> 1\npattern: 1 -> 0\n");
    load_lab(lab, {network, ""}, 1);
    EXPECT_EQ(lab.stepper.state, TrainingState::NoPatterns);
    const std::vector<std::string> expected = {
        network + ":4: \"pattern:\" token \"x\" is neither a number nor \"->\"",
        network + ":4: pattern 2 has 1 input value; the network needs 2",
        network + ":5: pattern 3 has 1 input value; the network needs 2",
    };
    EXPECT_EQ(lab.problems, expected);
    press(KEY_SPACE);
    EXPECT_EQ(lab.stepper.state, TrainingState::NoPatterns);
    EXPECT_GT(count_color(buffer.get(), 0, network_area_height, network_area_width, lab_screen_height - 1, error_color), 0);

    const std::string table = directory.write("rows.csv", "a,b,c\n0,1,1\n0,1\n");
    load_lab(lab, {network, table}, 1);
    EXPECT_EQ(lab.problems, std::vector<std::string>{table + ":3: row has 2 fields; the network needs 2 inputs and 1 output, 3 fields"});
    // Too long for one row of the list, the problem goes on, indented, in the row below.
    clear_bitmap(buffer.get());
    frame();
    constexpr int second_row_y = 416;
    EXPECT_GT(count_color(buffer.get(), 20, second_row_y, network_area_width - 1, second_row_y + 7, error_color), 0);
    EXPECT_EQ(count_color(buffer.get(), 0, second_row_y, 19, second_row_y + 7, error_color), 0);

    load_lab(lab, {directory.file("missing.txt"), ""}, 1);
    EXPECT_EQ(lab.stepper.state, TrainingState::NoPatterns);
    EXPECT_FALSE(lab.problems.empty());
    frame();  // an empty network still draws
}

// The readers' words reach the lab as they reach net_train: each once, at its line.
TEST_F(LabTest, UnreadableTextAndUnreachableTargetsAreListed)
{
    const std::string layers = "input_layer: 2\rcomp_layer: 1\rpattern: 0 1 -> 1\r";
    const std::string old_mac = directory.write("mac.txt", layers);
    load_lab(lab, {old_mac, ""}, 1);
    EXPECT_EQ(lab.problems, (std::vector<std::string>{
                                old_mac + ":1: the lines end in carriage returns only (an old Mac format), so the "
                                          "whole file is read as one line and only its first record counts; save "
                                          "the file with line feeds (Unix) or carriage return and line feed "
                                          "(Windows) line ends",
                                old_mac + ": the network has no \"comp_layer:\"; training cannot change it"}));

    const std::string unicode = directory.write("unicode.txt", utf16("input_layer: 2\r\n", false, true));
    load_lab(lab, {unicode, ""}, 1);
    ASSERT_FALSE(lab.problems.empty());
    EXPECT_EQ(lab.problems[0], unicode + ":1: the file is in UTF-16 (what Windows Notepad calls \"Unicode\"), so "
                                         "not one of its records can be read; save it as UTF-8");

    const std::string network = directory.write("n.txt", "input_layer: 2\ncomp_layer: 1\npattern: 0 1 -> 2\n");
    load_lab(lab, {network, ""}, 1);
    EXPECT_EQ(lab.problems, std::vector<std::string>{network + ":3: expected output 1, 2, lies outside 0 to 1, "
                                                               "which the network's outputs never reach; training "
                                                               "cannot converge on this pattern"});
    // A warning refuses nothing: training starts, and the note stays in view beside the curve.
    EXPECT_NE(lab.stepper.state, TrainingState::NoPatterns);
    EXPECT_EQ(lab.message, "note: " + lab.problems[0]);
}

TEST_F(LabTest, NetworksOfOtherShapesShowTheirWorstPatternsFirst)
{
    const std::string network = directory.write("n.txt", network_layers({3, 2}) +
                                                             "pattern: 0 0 0 -> 0.5 0.5\npattern: 1 1 1 -> 1 0\n");
    load_lab(lab, {network, ""}, 1);
    EXPECT_FALSE(lab.maps.active());
    frame();
    ASSERT_EQ(lab.errors.order.size(), 2u);
    const std::size_t first = static_cast<std::size_t>(lab.errors.order[0]);
    EXPECT_GE(lab.errors.pattern_worst[first], lab.errors.pattern_worst[static_cast<std::size_t>(lab.errors.order[1])]);
    EXPECT_EQ(lab.errors.worst, lab.errors.pattern_worst[first]);
}

// H steps the held-out share and starts the run again, which then trains as the engine's run
// with that share does; the curve and the screen carry the held-out errors; after the last
// share none is held out.
TEST_F(LabTest, HHoldsPatternsOutAndTheCurveAndStatusShowTheirErrors)
{
    const std::string file = example("exclusive_or_training.txt");
    load_lab(lab, {file, ""}, 1);
    press(KEY_STOP);
    for (std::size_t step = 1; step < std::size(held_out_share_steps); ++step) {
        press(KEY_H);
        const double share = held_out_share_steps[step];
        ASSERT_EQ(lab.stepper.run.passes_done(), 0);
        EXPECT_EQ(lab.errors.held_out_patterns, held_out_count(4, share)) << share;
        clear_to_color(buffer.get(), 0);  // as the program's frame does once it is shown
        press(KEY_STOP);
        Network reference(file.c_str());
        reference.read_training_section(file.c_str());
        TrainingRun run(reference.max_iterations, reference, share, 1);
        run.step(reference, 1);
        EXPECT_EQ(all_weights(lab.view()), all_weights(reference)) << share;
        EXPECT_EQ(lab.curve.points().back().held_out_worst, lab.errors.held_out_worst);
        const int drawn = count_color(buffer.get(), 0, 0, lab_screen_width - 1, lab_screen_height - 1,
                                      held_out_worst_color);
        EXPECT_EQ(drawn > 0, lab.errors.held_out_patterns > 0) << share;
    }
    press(KEY_H);
    EXPECT_TRUE(lab.stepper.run.held_out().empty());
}

}  // namespace

namespace {

TEST(NetLabCommandLine, NetworkAndTrainingFilesOrAReason)
{
    const struct {
        std::vector<const char*> argv;
        bool accepted;
        std::string network;
        std::string training;
        bool help;
    } cases[] = {
        {{"net_lab"}, true, "config_generated.txt", "", false},
        {{"net_lab", "n.txt"}, true, "n.txt", "", false},
        {{"net_lab", "n.txt", "rows.csv"}, true, "n.txt", "rows.csv", false},
        {{"net_lab", "--", "-odd.txt"}, true, "-odd.txt", "", false},
        {{"net_lab", "--help"}, true, "config_generated.txt", "", true},
        {{"net_lab", "a", "b", "c"}, false, "", "", false},
        {{"net_lab", "-x"}, false, "", "", false},
        {{"net_lab", ""}, false, "", "", false},
        {{"net_lab", "n.txt", ""}, false, "", "", false},
    };
    for (const auto& c : cases) {
        LabFiles files;
        bool help = false;
        std::string error;
        const int argc = static_cast<int>(c.argv.size());
        const bool accepted = read_net_lab_command_line(argc, c.argv.data(), files, help, error);
        ASSERT_EQ(accepted, c.accepted) << c.argv.back();
        EXPECT_EQ(error.empty(), c.accepted) << error;
        if (!accepted)
            continue;
        EXPECT_EQ(files.network_path, c.network);
        EXPECT_EQ(files.training_path, c.training);
        EXPECT_EQ(help, c.help);
    }
    LabFiles files;
    bool help = false;
    std::string error;
    const std::string long_name(600, 'n');
    const char* argv[] = {"net_lab", long_name.c_str()};
    EXPECT_FALSE(read_net_lab_command_line(2, argv, files, help, error));
}

}  // namespace
