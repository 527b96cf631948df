// What net_train writes: only the network it trained, never half a file, nothing when a
// destination is unusable, the learning curve, repeatable runs with a seed, and the
// warnings and progress line around them.
#include "tests/net_train/tool_files.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sys/stat.h>

namespace {

// Slopes differ between the layers: the first "slope_parameter:" reaches the input neurons
// only, the second every neuron but the output neuron.
const char* const mixed_slopes_text =
    "input_layer: 2\nslope_parameter: 0.7\ncomp_layer: 2\nweights: 0.5 -0.25\nweights: 1 0.75\nslope_parameter: 1.5\n"
    "comp_layer: 1\nweights: 2 -1.5\npattern: 0 1 -> 1\npattern: 1 0 -> 0\nmax_iterations: 0\n";

// The worst error the report names.
std::string reported_worst_error(const std::string& report)
{
    const std::size_t at = report.find("worst error: ");
    return at == std::string::npos ? "" : report.substr(at + 13, report.find(' ', at + 13) - at - 13);
}

class NetTrainOutput : public ::testing::Test {
protected:
    TempDir directory;
    const std::string xor_input = directory.write("xor.txt", exclusive_or_text);
    const std::string old_text = "the user's earlier network\n";
};

}  // namespace

TEST_F(NetTrainOutput, ANetworkTheFormatCannotHoldIsNotWrittenAndSaysWhy)
{
    const std::string input = directory.write("n.txt", mixed_slopes_text);
    const std::string output = directory.write("w.txt", old_text);
    const Outcome outcome = run({input, "-o", output});
    EXPECT_EQ(outcome.status, exit_format_cannot_hold);
    EXPECT_EQ(outcome.err, "net_train: " + input + ":11: \"max_iterations:\" is 0: no training pass is made\n"
                           "net_train: " + output + ": the file format cannot hold the trained network: "
                           "slope parameters: the file holds one for all neurons, 1.5 (neuron 0's), but neuron 4 has 0.5\n"
                           "net_train: " + output + ": not written; --write-nearest writes the nearest network "
                           "the format can hold\n");
    EXPECT_EQ(outcome.out.find("written:"), std::string::npos) << outcome.out;
    EXPECT_EQ(read_text_file(output), old_text);
}

TEST_F(NetTrainOutput, WriteNearestWritesWhatTheFormatHoldsAndReportsItsTrueError)
{
    const std::string input = directory.write("n.txt", mixed_slopes_text);
    const std::string output = directory.file("w.txt");
    const Outcome outcome = run({input, "-o", output, "--write-nearest"});
    EXPECT_EQ(outcome.status, exit_short_of_goal);
    const std::string nearest_error = reported_worst_error(run({output, "-t", input}).out);
    ASSERT_NE(nearest_error, "");
    EXPECT_NE(nearest_error, reported_worst_error(outcome.out));
    EXPECT_NE(outcome.out.find("written: " + output + " (the nearest network the file format can hold; its worst "
                               "error " + nearest_error + ")\n"),
              std::string::npos)
        << outcome.out;
}

// The status tells about the network written: here training meets the limit at once, and the
// nearest network misses it.
TEST_F(NetTrainOutput, WriteNearestFailsWhenTheWrittenNetworkMissesTheLimit)
{
    const std::string base = std::string(mixed_slopes_text) + "max_iterations: 10\n";
    const struct {
        const char* limit;
        int status;
    } cases[] = {{"0.55", exit_short_of_goal}, {"0.65", exit_success}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.limit);
        const std::string input = directory.write("n.txt", base + "error_limit: " + c.limit + "\n");
        const std::string output = directory.file("w.txt");
        const Outcome outcome = run({input, "-o", output, "--write-nearest"});
        EXPECT_EQ(outcome.status, c.status) << outcome.err;
        EXPECT_NE(outcome.out.find("result: converged"), std::string::npos) << outcome.out;
        EXPECT_EQ(outcome.err.find("misses the error limit") != std::string::npos, c.status != exit_success)
            << outcome.err;
    }
    const Outcome without_output = run({xor_input, "--write-nearest"});
    EXPECT_EQ(without_output.status, exit_usage);
    EXPECT_NE(without_output.err.find("'--write-nearest'"), std::string::npos) << without_output.err;
}

TEST_F(NetTrainOutput, LearnedThresholdsAreTrainedAndWrittenPerNeuron)
{
    const std::string output = directory.file("w.txt");
    const Outcome outcome = run({xor_input, "--learn-thresholds", "-o", output});
    Network expected(xor_input.c_str());
    ASSERT_EQ(expected.read_training_section(xor_input.c_str()), 0);
    expected.learn_thresholds = true;
    EXPECT_EQ(outcome.status, expected.train(nullptr) == Converged ? exit_success : exit_short_of_goal) << outcome.err;
    ASSERT_NE(expected.neuron(2).threshold, expected.threshold());
    EXPECT_NE(outcome.out.find("passes: " + std::to_string(expected.iterations_done) + " "), std::string::npos)
        << outcome.out;
    const Network written(output.c_str());
    for (int i = 0; i < expected.neuron_count(); ++i)
        EXPECT_EQ(written.neuron(i).threshold, expected.neuron(i).threshold) << "neuron " << i;
    // The record in the file does the same as the option.
    const std::string with_record = directory.write("r.txt", std::string(exclusive_or_text) + "learn_thresholds: 1\n");
    EXPECT_EQ(run({with_record}).out, run({xor_input, "--learn-thresholds"}).out);
}

TEST_F(NetTrainOutput, SurplusConnectionsAreNamed)
{
    const std::string input = directory.write(
        "n.txt", "input_layer: 1\ncomp_layer: 1\nweights: 0.5\ncomp_layer: 0\nweights: 0.25\n"
                 "pattern: 1 -> 1\nmax_iterations: 0\n");
    const Outcome outcome = run({input, "-o", directory.file("w.txt")});
    EXPECT_EQ(outcome.status, exit_format_cannot_hold);
    EXPECT_NE(outcome.err.find("cannot hold the trained network: connections: the file holds one from each neuron of "
                               "the layer before, but neuron 1 has 2, of which 1 come back\n"),
              std::string::npos)
        << outcome.err;
    EXPECT_FALSE(std::filesystem::exists(directory.file("w.txt")));
}

TEST_F(NetTrainOutput, UnusableDestinationsFailBeforeTraining)
{
    const std::string fifo = directory.file("fifo");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::string missing = directory.file("no such directory/out.txt");
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{xor_input, "-o", missing}, {xor_input, "-o", fifo},
          {xor_input, "--curve", directory.file("")}, {xor_input, "--curve", missing}}) {
        const Outcome outcome = run(arguments);
        EXPECT_EQ(outcome.status, exit_cannot_write) << arguments[2];
        EXPECT_EQ(outcome.out, "");
        EXPECT_EQ(outcome.err.rfind("net_train: " + arguments[2] + ": cannot write here: ", 0), 0u) << outcome.err;
        EXPECT_NE(outcome.err.find("; nothing was trained\n"), std::string::npos);
        EXPECT_EQ(outcome.err.find(": cannot write here: ; "), std::string::npos) << "no reason given";
    }
}

TEST_F(NetTrainOutput, CurveRowsFollowTheCheckPassesAndLeaveTheWeightsAlone)
{
    const std::string curve_file = directory.file("curve.csv");
    const Outcome plain = run({xor_input, "-o", directory.file("plain.txt")});
    const Outcome curved = run({xor_input, "-o", directory.file("curved.txt"), "--curve", curve_file});
    EXPECT_EQ(curved.status, exit_success);
    EXPECT_EQ(read_text_file(directory.file("curved.txt")), read_text_file(directory.file("plain.txt")));

    std::istringstream csv(read_text_file(curve_file));
    std::string line;
    std::getline(csv, line);
    EXPECT_EQ(line, "pass,worst_error,mean_squared_error");
    int step = 1;
    if (csv.peek() == '#') {  // a run of more than 10000 passes keeps every k-th
        std::getline(csv, line);
        ASSERT_EQ(std::sscanf(line.c_str(), "# k=%d:", &step), 1) << line;
    }
    std::vector<int> passes;
    double worst = 0.0;
    double mean_squared = 0.0;
    char comma = 0;
    while (std::getline(csv, line)) {
        std::istringstream row(line);
        passes.push_back(-1);
        ASSERT_TRUE(row >> passes.back() >> comma >> worst >> comma >> mean_squared) << line;
        EXPECT_LE(mean_squared, worst * worst);
    }
    ASSERT_GT(passes.size(), 100u);
    for (std::size_t k = 0; k + 1 < passes.size(); ++k)
        ASSERT_EQ(passes[k], static_cast<int>(k) * step);
    EXPECT_LE(passes.back() - passes[passes.size() - 2], step);
    EXPECT_NE(curved.out.find("passes: " + std::to_string(passes.back()) + " (limit"), std::string::npos)
        << curved.out;
    EXPECT_LE(worst, 0.05);
}
TEST_F(NetTrainOutput, ASeedMakesMissingWeightsRepeatable)
{
    const std::string input = directory.write("n.txt", network_layers({3, 5, 2}) +
                                                           "pattern: 0 1 0 -> 1 0\npattern: 1 1 0 -> 0 1\n"
                                                           "max_iterations: 20\n");
    const auto trained = [&](const std::vector<std::string>& seed, const std::string& name) {
        std::vector<std::string> arguments = {input, "-o", directory.file(name)};
        arguments.insert(arguments.end(), seed.begin(), seed.end());
        EXPECT_EQ(run(arguments).status, exit_short_of_goal);
        return read_text_file(directory.file(name));
    };
    const std::string first = trained({"--seed", "7"}, "a.txt");
    EXPECT_EQ(trained({"--seed=7"}, "b.txt"), first);
    EXPECT_NE(trained({"--seed", "8"}, "c.txt"), first);
}

TEST_F(NetTrainOutput, SuspiciousValuesAndTheNetworkFileAsOutputAreWarnedAbout)
{
    const std::string network = directory.write("net.txt", "# my notes\ninput_layer: 1\ncomp_layer: 1\nweights: 0\n");
    const std::string training = directory.write("t.txt", "pattern: 0,5 -> 1\nlearning_rate: 0\nmax_iterations: 3\n");
    const Outcome outcome = run({network, "-t", training, "-o", network});
    EXPECT_EQ(outcome.status, exit_short_of_goal);
    EXPECT_EQ(outcome.err,
              "net_train: " + training + ":1: \"0,5\" is read as 0: a comma is neither a decimal point nor a "
              "separator between numbers\n"
              "net_train: " + training + ":2: \"learning_rate:\" is 0: training changes no weight\n"
              "net_train: " + network + ": this is the network file itself: the trained network replaces it, and "
              "its comments and any other records are lost\n");
    // A table's parameters are the network file's, and so are their warnings.
    const std::string table = directory.write("t.csv", "0.5,2\n");
    directory.write("net.txt", "input_layer: 1\ncomp_layer: 1\nmax_iterations: 0\n");
    EXPECT_EQ(run({network, "-t", table}).err,
              "net_train: " + network + ":3: \"max_iterations:\" is 0: no training pass is made\n"
              "net_train: " + table + ":1: expected output 1, 2, lies outside 0 to 1, which the network's outputs "
              "never reach; training cannot converge on this row\n");
}

TEST_F(NetTrainOutput, ProgressLineFollowsTheClockItIsHanded)
{
    double now = 0.0;
    NetTrainSettings settings;
    settings.stderr_is_terminal = true;
    settings.fixed_chunk = 1000;
    settings.clock = [&now] { return now += 0.25; };  // each chunk takes 0.25 s, however fast the machine
    const Outcome outcome = run({xor_input, "-o", directory.file("progress.txt")}, settings);
    EXPECT_EQ(outcome.status, exit_success);
    EXPECT_EQ(outcome.err.rfind("\rnet_train: training: pass 4000 of 50000, worst error ", 0), 0u) << outcome.err;
    EXPECT_NE(outcome.err.find("\rnet_train: training: pass 6000 of 50000, worst error "), std::string::npos);
    EXPECT_EQ(outcome.err.substr(outcome.err.size() - 4), "\r\x1b[K");
    run({xor_input, "-o", directory.file("plain.txt")});
    EXPECT_EQ(read_text_file(directory.file("progress.txt")), read_text_file(directory.file("plain.txt")));
}

namespace {

std::string file_text(const std::string& file)
{
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

TEST_F(NetTrainOutput, ALessonTrainedAgainGoesOnAsOneRun)
{
    // Half the passes, a lesson, then the other half from the lesson: the network of one run
    // of all the passes, with the held-out patterns and learned thresholds kept by the lesson.
    const std::string base = std::string(exclusive_or_text) + "pattern: 0.2 0.8 -> 1\npattern: 0.9 0.1 -> 1\n";
    const std::string whole = directory.write("whole.txt", base + "max_iterations: 600\n");
    const std::string half = directory.write("half.txt", base + "max_iterations: 300\n");
    const std::vector<std::string> held_out = {"--test-share", "0.3", "--test-seed", "5", "--learn-thresholds"};
    std::vector<std::string> arguments = {whole, "-o", directory.file("whole_out.txt")};
    arguments.insert(arguments.end(), held_out.begin(), held_out.end());
    const Outcome one_run = run(arguments);
    arguments = {half, "--lesson", directory.file("lesson.txt")};
    arguments.insert(arguments.end(), held_out.begin(), held_out.end());
    const Outcome first_half = run(arguments);
    ASSERT_EQ(first_half.status, exit_short_of_goal) << first_half.err;
    EXPECT_NE(first_half.out.find("lesson written: "), std::string::npos) << first_half.out;

    const std::string lesson = file_text(directory.file("lesson.txt"));
    EXPECT_NE(lesson.find("\ntest_share: 0.3\ntest_seed: 5\n"), std::string::npos) << lesson;
    const std::string resumed = directory.write("resumed.txt", lesson + "max_iterations: 300\n");
    const Outcome second_half = run({resumed, "-o", directory.file("resumed_out.txt")});
    EXPECT_EQ(second_half.status, one_run.status) << second_half.err;
    EXPECT_EQ(file_text(directory.file("resumed_out.txt")), file_text(directory.file("whole_out.txt")));
    // The held-out patterns come from the lesson: the report names as many.
    EXPECT_NE(second_half.out.find("held-out worst error: "), std::string::npos) << second_half.out;
}
