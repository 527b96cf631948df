// The whole net_train run in-process: report, exit status, written file, and every problem
// it names in a file, with its line.
#include "net_train/net_train.h"

#include "engine/data_sets.h"
#include "engine/training_run.h"
#include "tests/net_train/tool_files.h"
#include "tool_support/number_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>

namespace {

// The problems net_train reports for a network file holding `text`, with the file's path
// replaced by "FILE".
std::string problems_in(const std::string& text)
{
    TempDir directory;
    const std::string path = directory.write("n.txt", text);
    std::string err = run({path}).err;
    for (std::size_t at = err.find(path); at != std::string::npos; at = err.find(path))
        err.replace(at, path.size(), "FILE");
    return err;
}

const std::string creature_layers = "input_layer: 3\ncomp_layer: 4\n";

// Each run works in a directory of its own that holds the exclusive-or file.
class NetTrainRun : public ::testing::Test {
protected:
    TempDir directory;
    const std::string xor_input = directory.write("xor.txt", exclusive_or_text);
};

}  // namespace

TEST_F(NetTrainRun, ConvergingFileReportsAndWritesTheSameNetwork)
{
    const std::string output = directory.file("trained.txt");
    const Outcome outcome = run({xor_input, "-o", output});
    EXPECT_EQ(outcome.status, exit_success);
    EXPECT_EQ(outcome.err, "");

    Network expected(xor_input.c_str());
    ASSERT_EQ(expected.train(xor_input.c_str()), Converged);
    EXPECT_EQ(outcome.out, "result: converged\npasses: " + std::to_string(expected.iterations_done) +
                               " (limit 50000)\nworst error: 0.049899 (error limit 0.05, 4 patterns)\nwritten: " +
                               output + "\n");
    const Network written(output.c_str());
    ASSERT_EQ(written.layer_count(), 3);
    const std::vector<double> found = all_weights(written);
    const std::vector<double> trained = all_weights(expected);
    ASSERT_EQ(found.size(), trained.size());
    for (std::size_t k = 0; k < trained.size(); ++k)
        EXPECT_NEAR(found[k], trained[k], 1e-15);
    EXPECT_EQ(written.threshold(), 2.0);
    EXPECT_EQ(written.slope_parameter(), 2.0);
}

TEST_F(NetTrainRun, ProgressAndChunkingLeaveTheWrittenFileUnchanged)
{
    run({xor_input, "-o", directory.file("plain.txt")});
    NetTrainSettings settings;
    settings.stderr_is_terminal = true;
    settings.fixed_chunk = 3;
    const Outcome chunked = run({xor_input, "-o", directory.file("chunked.txt")}, settings);
    EXPECT_EQ(chunked.status, exit_success);
    EXPECT_EQ(read_text_file(directory.file("chunked.txt")), read_text_file(directory.file("plain.txt")));
}

TEST_F(NetTrainRun, IterationLimitStillWritesAndExitsWithOne)
{
    const std::string input = directory.write("xor_10.txt", std::string(exclusive_or_text) + "max_iterations: 10\n");
    const Outcome outcome = run({input, "-o", directory.file("out.txt")});
    EXPECT_EQ(outcome.status, exit_short_of_goal);
    EXPECT_NE(outcome.out.find("result: iteration limit reached\npasses: 10 (limit 10)\n"), std::string::npos);
    EXPECT_EQ(Network(directory.file("out.txt").c_str()).neuron_count(), 5);
}

TEST_F(NetTrainRun, TrainingRecordsFromAnotherFile)
{
    const std::string network = directory.write("net.txt", "input_layer: 1\ncomp_layer: 1\nweights: 0\n");
    const std::string training =
        directory.write("train.txt", "pattern: 0 -> 0.5\npattern: 1 -> 0.9\nerror_limit: 0.01\n");
    const Outcome outcome = run({"-t", training, network});
    EXPECT_EQ(outcome.status, exit_success);
    EXPECT_NE(outcome.out.find("(error limit 0.01, 2 patterns)"), std::string::npos);
}

TEST_F(NetTrainRun, QuietPrintsNothingButKeepsTheStatus)
{
    const Outcome outcome = run({"--quiet", xor_input});
    EXPECT_EQ(outcome.status, exit_success);
    EXPECT_EQ(outcome.out, "");
    EXPECT_EQ(outcome.err, "");
}

TEST_F(NetTrainRun, UsageErrorsGoToStderrWithStatus64)
{
    const Outcome outcome = run({"--bogus", "x.txt"});
    EXPECT_EQ(outcome.status, exit_usage);
    EXPECT_EQ(outcome.out, "");
    EXPECT_EQ(outcome.err.rfind("net_train: unknown option '--bogus'\nUsage: net_train ", 0), 0u);
    EXPECT_EQ(run({}).status, exit_usage);
    EXPECT_EQ(run({"--help"}).status, 0);
    EXPECT_EQ(run({"--version"}).out, "net_train 0.1.0\n");
}

TEST_F(NetTrainRun, RefusesToWriteOverItsOwnTrainingRecords)
{
    const Outcome outcome = run({xor_input, "-o", xor_input});
    EXPECT_EQ(outcome.status, exit_usage);
    EXPECT_NE(outcome.err.find("holds the training records; writing the network there would lose them"), std::string::npos);
    EXPECT_EQ(read_text_file(xor_input), exclusive_or_text);
    const struct {
        std::string curve;
        const char* role;
    } clashes[] = {
        {xor_input, "the network file"},
        {directory.file("out.txt"), "the output file (-o)"},
        // Not written yet, named another way: still the file -o writes.
        {directory.file("./out.txt"), "the output file (-o)"},
    };
    for (const auto& clash : clashes) {
        const Outcome curve = run({xor_input, "-o", directory.file("out.txt"), "--curve", clash.curve});
        EXPECT_EQ(curve.status, exit_usage);
        EXPECT_NE(curve.err.find("the curve file '" + clash.curve + "' is also " + clash.role), std::string::npos)
            << curve.err;
    }
    EXPECT_EQ(read_text_file(xor_input), exclusive_or_text);
}

TEST(NetTrainProblems, FileThatCannotBeOpened)
{
    TempDir directory;
    const std::string missing = directory.file("missing.txt");
    const Outcome outcome = run({missing});
    EXPECT_EQ(outcome.status, exit_unusable_input);
    EXPECT_EQ(outcome.err, "net_train: " + missing + ": cannot open the file: no such file or directory\n");
    const std::string network = directory.write("net.txt", exclusive_or_text);
    const Outcome training = run({network, "-t", missing});
    EXPECT_EQ(training.status, exit_unusable_input);
    EXPECT_EQ(training.err, "net_train: " + missing + ": cannot open the file: no such file or directory\n");
    EXPECT_EQ(run({directory.file("")}).err,
              "net_train: " + directory.file("") + ": cannot open the file: it is a directory\n");
    EXPECT_EQ(training.out, "result: no usable patterns\n");
}

TEST(NetTrainProblems, EmptyOrRefusedNetworkSaysWhy)
{
    EXPECT_EQ(problems_in("just words\n"),
              "net_train: FILE: no \"input_layer:\" record; there is no network to train\n");
    EXPECT_EQ(problems_in("input_layer: 0\n"),
              "net_train: FILE: the network has no neurons; there is nothing to train\n");
    EXPECT_EQ(problems_in("input_layer: 2\ncomp_layer: 1\ninput_layer: 1\n"),
              "net_train: FILE:3: a second \"input_layer:\" record; the network is refused\n"
              "net_train: FILE: there is no network to train\n");
    EXPECT_EQ(problems_in("input_layer: 3\ncomp_layer: 2000000\n"),
              "net_train: FILE:2: the network would have more than 1000000 neurons; the network is refused\n"
              "net_train: FILE: there is no network to train\n");
}

TEST(NetTrainProblems, WeightsRecordThatEndsLoading)
{
    EXPECT_EQ(problems_in("input_layer: 1\ncomp_layer: 1\nweights: 1\nweights: 2\npattern: 1 -> 1\n"),
              "net_train: FILE:4: one \"weights:\" record more than the latest layer's 1 neurons; loading ends "
              "here\n");
    EXPECT_EQ(problems_in("input_layer: 2\nweights: 1 2\n"),
              "net_train: FILE:2: \"weights:\" record before any \"comp_layer:\" record; loading ends here\n"
              "net_train: FILE: the network has no \"comp_layer:\"; training cannot change it\n"
              "net_train: FILE: no \"pattern:\" records; there is nothing to train on\n");
}

TEST(NetTrainProblems, NonNumberWhereANumberBelongs)
{
    EXPECT_EQ(problems_in(creature_layers + "weights: 1 x 3\ntreshold: high\nerror_limit: low\n"
                                            "max_iterations: 2.5x\npattern: 1 2 3 -> 1 0 1 0\n"),
              "net_train: FILE:3: weight 2 of \"weights:\", \"x\", is not a number; the missing weights are drawn "
              "at random\n"
              "net_train: FILE:4: \"treshold:\" has no number; ignored\n"
              "net_train: FILE:5: \"error_limit:\" has no number; ignored\n");
    EXPECT_EQ(problems_in("input_layer: many\n"),
              "net_train: FILE:1: \"input_layer:\" has no whole number of neurons; taken as 0\n"
              "net_train: FILE: the network has no neurons; there is nothing to train\n");
}

TEST(NetTrainProblems, PatternsThatDoNotFitNameThePatternAndTheCounts)
{
    const Outcome outcome = [] {
        TempDir directory;
        const std::string path = directory.write("n.txt", creature_layers +
                                                              "pattern: 1 2 3 -> 1 0 1 0\n\npattern: 1 2 -> 1 0 1 0\n"
                                                              "pattern: 1 2 3 -> 1\npattern: 1 2 3 4->1\n");
        return run({path});
    }();
    EXPECT_EQ(outcome.status, exit_unusable_input);
    EXPECT_EQ(outcome.out, "result: no usable patterns\n");
    const auto has = [&outcome](const std::string& text) { return outcome.err.find(text) != std::string::npos; };
    EXPECT_TRUE(has("n.txt:5: pattern 2 has 2 input values; the network needs 3\n"));
    EXPECT_TRUE(has("n.txt:6: pattern 3 has 1 expected output value; the network needs 4\n"));
    EXPECT_TRUE(has("n.txt:7: pattern 4 has 4 input values; the network needs 3\n"));
    EXPECT_TRUE(has("n.txt:7: pattern 4 has 0 expected output values; the network needs 4 (is the \"->\" "
                    "missing, or written against a number?)\n"));
    EXPECT_FALSE(has("pattern 1 ")) << outcome.err;
}

TEST(NetTrainProblems, BadTokenInAPatternRecord)
{
    EXPECT_EQ(problems_in(creature_layers + "pattern: 1 2 3 -> 1 0 1 0\npattern: 1 two 3 -> 1 0 1 0\n"),
              "net_train: FILE:4: \"pattern:\" token \"two\" is neither a number nor \"->\"\n"
              "net_train: FILE:4: pattern 2 has 2 input values; the network needs 3\n");
}

TEST(NetTrainProblems, NetworkAndTrainingProblemsOfOneFileComeInLineOrder)
{
    EXPECT_EQ(problems_in(creature_layers + "pattern: 1 2 3 -> 1 b 0 1\nweights: 1 c\n"),
              "net_train: FILE:3: \"pattern:\" token \"b\" is neither a number nor \"->\"\n"
              "net_train: FILE:3: pattern 1 has 3 expected output values; the network needs 4\n"
              "net_train: FILE:4: weight 2 of \"weights:\", \"c\", is not a number; the missing weights are drawn "
              "at random\n");
}

TEST(NetTrainProblems, ManyProblemsAreCutShort)
{
    std::string text = creature_layers;
    for (int k = 0; k < 40; ++k)
        text += "pattern: 1 -> 1\n";
    const std::string err = problems_in(text);
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 31);
    EXPECT_NE(err.find("net_train: 50 further problems not shown\n"), std::string::npos);
    // Beyond what a reader keeps, every problem still counts.
    for (int k = 0; k < 2000; ++k)
        text += "pattern: 1 2 3 -> 1 0 1 0 x\n";
    const std::string more = problems_in(text);
    EXPECT_NE(more.find("net_train: 2050 further problems not shown\n"), std::string::npos) << more.substr(more.size() - 200);
}

// Values read otherwise than written, and text the readers cannot take as written, are named
// as what they are read as, each once.
TEST(NetTrainProblems, WhatAFileIsReallyReadAsIsNamed)
{
    const std::string layers = "input_layer: 2\ncomp_layer: 1\n";
    const std::string unicode = "the file is in UTF-16 (what Windows Notepad calls \"Unicode\"), so not one of its "
                                "records can be read; save it as UTF-8\n";
    const struct {
        std::string text;
        std::string problems;
    } cases[] = {
        {layers + "weights: 0x10 0X1p3\npattern: 0 0 -> 0\n",
         "net_train: FILE:3: weight 1 of \"weights:\", \"0x10\", is read as 0 (hexadecimal numbers are not "
         "understood); weight 2, \"x10\", is not a number; the missing weights are drawn at random\n"},
        {layers + "weights: 1 0,5\npattern: 0 0 -> 0\n",
         "net_train: FILE:3: weight 2 of \"weights:\", \"0,5\", is read as 0 (a comma is neither a decimal point "
         "nor a separator between numbers); the rest of the record, from \",5\" on, is ignored\n"},
        {layers + "pattern: 0 0 -> 2\n",
         "net_train: FILE:3: expected output 1, 2, lies outside 0 to 1, which the network's outputs never reach; "
         "training cannot converge on this pattern\n"},
        {"input_layer: 2\rcomp_layer: 1\rpattern: 0 0 -> 0\r",
         "net_train: FILE:1: the lines end in carriage returns only (an old Mac format), so the whole file is read "
         "as one line and only its first record counts; save the file with line feeds (Unix) or carriage return "
         "and line feed (Windows) line ends\n"
         "net_train: FILE: the network has no \"comp_layer:\"; training cannot change it\n"
         "net_train: FILE: no \"pattern:\" records; there is nothing to train on\n"},
        {utf16(layers + "pattern: 0 0 -> 0\n", false, true),
         "net_train: FILE:1: " + unicode + "net_train: FILE: there is no network to train\n"},
        {utf16(layers + "pattern: 0 0 -> 0\n", true, false),
         "net_train: FILE:1: " + unicode + "net_train: FILE: there is no network to train\n"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(problems_in(c.text), c.problems) << testing::PrintToString(c.text);

    // A training file of its own is named too.
    TempDir directory;
    const std::string training = directory.write("t.txt", utf16("pattern: 0 0 -> 0\r\n", false, false));
    EXPECT_EQ(run({directory.write("n.txt", layers), "-t", training}).err,
              "net_train: " + training + ":1: " + unicode + "net_train: " + training +
                  ": no \"pattern:\" records; there is nothing to train on\n");
}

TEST(NetTrainProblems, NoPatternsIsNothingToTrain)
{
    TempDir directory;
    const std::string path = directory.write("n.txt", creature_layers);
    const Outcome outcome = run({path, "-o", directory.file("out.txt")});
    EXPECT_EQ(outcome.status, exit_unusable_input);
    EXPECT_EQ(outcome.err, "net_train: " + path + ": no \"pattern:\" records; there is nothing to train on\n");
    EXPECT_FALSE(std::filesystem::exists(directory.file("out.txt")));
}

TEST_F(NetTrainRun, NumbersKeepTheirFullStopUnderADecimalCommaLocale)
{
    const std::string output = directory.file("out.txt");
    const DecimalCommaLocale locale;
    if (!locale.active())
        GTEST_SKIP() << "no locale with a decimal comma on this machine";
    const Outcome outcome = run({xor_input, "-o", output});
    EXPECT_EQ(outcome.status, exit_success);
    EXPECT_NE(outcome.out.find("worst error: 0.049899 (error limit 0.05, 4 patterns)"), std::string::npos);
    EXPECT_NE(read_text_file(output).find("treshold: 2.00000000000000000"), std::string::npos);
}

TEST_F(NetTrainRun, OutputsThatAreNotNumbersAreNoSuccessAndNotWritten)
{
    // 1e308 * 10 and 1e308 * -9 overflow to +inf and -inf, whose sum is not a number.
    const std::string input = directory.write("huge.txt", "input_layer: 2\ncomp_layer: 1\nweights: 10 -9\n"
                                                          "pattern: 0 0 -> 1\npattern: 1e308 1e308 -> 1\n"
                                                          "max_iterations: 3\n");
    const std::string output = directory.file("out.txt");
    const Outcome outcome = run({input, "-o", output});
    EXPECT_EQ(outcome.status, exit_format_cannot_hold);
    EXPECT_NE(outcome.err.find(input + ": some computed outputs are not numbers"), std::string::npos);
    EXPECT_NE(outcome.err.find(output + ": not written: training gave weights that are not finite numbers"),
              std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(output));
    const Outcome unwritten = run({input});
    EXPECT_EQ(unwritten.status, exit_unusable_input);
    EXPECT_EQ(unwritten.out.rfind("result: outputs are not numbers\npasses: ", 0), 0u) << unwritten.out;
}

TEST(NetTrainProblems, AHugeBadTokenIsQuotedByItsStartOnly)
{
    const std::string err =
        problems_in(creature_layers + "pattern: 1 2 3 -> 1 2 3 " + std::string(20000000, 'x') + "\n");
    EXPECT_LT(err.size(), 1000u);
    EXPECT_EQ(err.rfind("net_train: FILE:3: \"pattern:\" token \"xxxxxxxx", 0), 0u) << err.substr(0, 200);
}

TEST(NetTrainProblems, AByteOrderMarkLosesNoRecord)
{
    TempDir directory;
    const std::string byte_order_mark = "\xEF\xBB\xBF";
    const std::string text = exclusive_or_text;
    const std::size_t patterns_at = text.find("pattern:");
    const std::string network = directory.write("net.txt", byte_order_mark + text.substr(0, patterns_at));
    const std::string training = directory.write("train.txt", byte_order_mark + text.substr(patterns_at));
    const Outcome outcome = run({network, "-t", training});
    EXPECT_EQ(outcome.err, "");
    EXPECT_EQ(outcome.status, exit_success);
    EXPECT_NE(outcome.out.find("(error limit 0.05, 4 patterns)"), std::string::npos) << outcome.out;
}

// The table that --write-data-set writes is the engine's, and net_train trains on it.
TEST_F(NetTrainRun, WritesADataSetThatTrainingReads)
{
    const std::string table = directory.file("circle.csv");
    const Outcome written = run({"--write-data-set", "circle", "--points", "40", "--noise", "0.05", "--seed", "9",
                                 "-o", table});
    EXPECT_EQ(written.status, exit_success);
    EXPECT_EQ(written.out, "wrote 40 points of the data set 'circle' to " + table + "\n");
    DataSet expected;
    std::string problem;
    ASSERT_TRUE(make_data_set("circle", 40, 0.05, 9, expected, problem));
    EXPECT_EQ(read_text_file(table), data_set_csv(expected));

    const std::string network = directory.write("net.txt", "input_layer: 2\ncomp_layer: 3\ncomp_layer: 1\n"
                                                           "max_iterations: 5\n");
    const Outcome trained = run({network, "-t", table, "--seed", "1"});
    EXPECT_NE(trained.out.find("40 patterns"), std::string::npos) << trained.out << trained.err;

    const Outcome unknown = run({"--write-data-set", "moons", "-o", directory.file("m.csv")});
    EXPECT_EQ(unknown.status, exit_usage);
    EXPECT_EQ(unknown.err.rfind("net_train: no data set is named 'moons'", 0), 0u) << unknown.err;
    EXPECT_FALSE(std::filesystem::exists(directory.file("m.csv")));
}

TEST_F(NetTrainRun, TestShareTrainsOnTheOthersAndReportsTheHeldOutErrors)
{
    const std::string input = directory.write(
        "eight.txt", "input_layer: 2\ncomp_layer: 2\nweights: 0.5 -0.25\nweights: 1 0.75\ncomp_layer: 1\n"
                     "weights: 2 -1.5\npattern: 0 0 -> 0\npattern: 0 1 -> 1\npattern: 1 0 -> 1\npattern: 1 1 -> 1\n"
                     "pattern: 0.2 0.1 -> 0.1\npattern: 0.9 0.1 -> 0.9\npattern: 0.1 0.8 -> 0.8\n"
                     "pattern: 0.5 0.5 -> 0.7\nerror_limit: 0.05\nmax_iterations: 400\n");
    const std::string curve = directory.file("curve.csv");
    const Outcome outcome = run({input, "--test-share", "0.25", "--seed", "3", "--curve", curve});
    EXPECT_EQ(outcome.status, exit_short_of_goal);

    Network expected(input.c_str());
    expected.read_training_section(input.c_str());
    TrainingRun training(expected.max_iterations, expected, 0.25, 3);
    training.step(expected, expected.max_iterations);
    PatternErrors errors;
    measure_pattern_errors(expected, errors, training);
    ASSERT_EQ(errors.held_out_patterns, 2);
    EXPECT_NE(outcome.out.find("worst error: " + short_text(errors.worst) + " (error limit 0.05, 6 patterns)\n"
                               "held-out worst error: " + short_text(errors.held_out_worst) + " (mean squared " +
                               short_text(errors.held_out_mean_squared) + ", 2 patterns)\n"),
              std::string::npos)
        << outcome.out;
    const std::string csv = read_text_file(curve);
    EXPECT_EQ(csv.substr(0, csv.find('\n')), "pass,worst_error,mean_squared_error,test_worst_error,test_mean_squared_error");
    EXPECT_NE(csv.find("\n400," + shortest_text(errors.worst) + "," + shortest_text(errors.mean_squared) + "," +
                       shortest_text(errors.held_out_worst) + "," + shortest_text(errors.held_out_mean_squared) + "\n"),
              std::string::npos);
    // --test-seed takes the place of --seed in the choice.
    const Outcome same = run({input, "--test-share", "0.25", "--test-seed", "3"});
    EXPECT_EQ(same.out, outcome.out);
}
