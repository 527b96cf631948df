// The training-section reader: patterns, parameters, bad tokens and the result it returns.
#include "engine/network.h"

#include "tests/engine/network_files.h"

#include <gtest/gtest.h>

namespace {

// Reads `text` as a training section into `network` and returns the reader's result.
int read_training(Network& network, const std::string& text)
{
    return network.read_training_text(text);
}

struct PatternCase {
    const char* record;
    std::vector<double> inputs;
    std::vector<double> expected_outputs;
    int bad_tokens;
};

}  // namespace

TEST(TrainingReader, ExampleFileGivesFourPatternsAndItsParameters)
{
    const std::string path = data_file("xor_example.txt");
    Network network(path.c_str());
    EXPECT_EQ(network.read_training_section(path.c_str()), 0);
    ASSERT_EQ(network.pattern_count(), 4);
    EXPECT_TRUE(network.patterns_fit());
    EXPECT_EQ(network.error_limit, 0.05);
    EXPECT_EQ(network.max_iterations, 50000);
    for (int i = 0; i < network.neuron_count(); ++i) {
        EXPECT_EQ(network.neuron(i).learning_rate, 0.5);
        EXPECT_EQ(network.neuron(i).max_weight, 10.0);
    }
    EXPECT_EQ(network.neuron(2).connections[0].weight, 0.5);  // network records are ignored
}

TEST(TrainingReader, MissingFileReturnsOneAndChangesNothing)
{
    TempDir directory;
    Network network(data_file("xor_example.txt").c_str());
    EXPECT_EQ(network.read_training_section(directory.file("missing.txt").c_str()), 1);
    EXPECT_EQ(network.read_training_section(directory.file("").c_str()), 1);
    EXPECT_EQ(network.read_training_section(nullptr), 1);
    EXPECT_EQ(network.error_limit, 0.1);
}

TEST(TrainingReader, PatternRecordsTakeNumbersAndTheArrow)
{
    const std::vector<PatternCase> cases = {
        {"pattern:", {}, {}, 0},
        {"pattern: 1 0", {1, 0}, {}, 0},
        {"pattern: 1 0 -> 1 -> 0", {1, 0}, {1, 0}, 0},
        {"pattern: 1 a -> 1", {1}, {1}, 1},
        {"pattern: -> 1", {}, {1}, 0},
        {"pattern: 0 1->1", {0, 1}, {}, 0},
        {"pattern: - . 2", {2}, {}, 2},
        {"pattern: +0.5e1x -2e-1", {5}, {}, 0},
        {"pattern: 1 => 0 inf nan", {1, 0}, {}, 3},
    };
    for (const PatternCase& c : cases) {
        Network network(nullptr);
        EXPECT_EQ(read_training(network, std::string(c.record) + "\n"), c.bad_tokens) << c.record;
        ASSERT_EQ(network.pattern_count(), 1) << c.record;
        // An empty network fits only the pattern without values.
        EXPECT_EQ(network.patterns_fit(), c.inputs.empty() && c.expected_outputs.empty()) << c.record;
    }
}

TEST(TrainingReader, PatternValuesArriveInOrder)
{
    const std::string text = "input_layer: 2\ncomp_layer: 2\npattern: 0.25 -1 -> 1e-2 +3\n";
    Network network = Network::from_text(text);
    ASSERT_EQ(network.read_training_text(text), 0);
    ASSERT_TRUE(network.patterns_fit());
    // Training on the one pattern shows its values through the check pass.
    network.max_iterations = 1;
    network.error_limit = 1e9;
    EXPECT_EQ(network.train(nullptr), Converged);
    EXPECT_EQ(network.neuron(0).output, 0.25);
    EXPECT_EQ(network.neuron(1).output, -1.0);
}

TEST(TrainingReader, BadTokensAreCountedOverTheWholeFile)
{
    Network network(nullptr);
    EXPECT_EQ(read_training(network, "pattern: a b\npattern: 1 c\nerror_limit: x\n"), 3);
    EXPECT_EQ(network.pattern_count(), 2);
    EXPECT_EQ(network.error_limit, 0.1);
}

TEST(TrainingReader, ParametersFollowTheNumberRules)
{
    Network network(data_file("xor_example.txt").c_str());
    EXPECT_EQ(read_training(network, "max_iterations: 2.5\nerror_limit: 1e-2\nerror_limit: 0.25\n"
                                     "learning_rate: 0,5\nmax_weight: -3\n"),
              0);
    EXPECT_EQ(network.max_iterations, 2);
    EXPECT_EQ(network.error_limit, 0.25);
    EXPECT_EQ(network.learning_rate(), 0.0);
    EXPECT_EQ(network.max_weight(), -3.0);
    for (int i = 0; i < network.neuron_count(); ++i)
        EXPECT_EQ(network.neuron(i).learning_rate, 0.0);
}

TEST(TrainingReader, NetworkOnlyFileChangesOnlyTheWeightLimit)
{
    Network network(data_file("xor_example.txt").c_str());
    EXPECT_EQ(read_training(network, "input_layer: 2\ncomp_layer: 1\nweights: 1 1\ntreshold: 4\nmax_weight: 7\n"),
              0);
    EXPECT_EQ(network.pattern_count(), 0);
    EXPECT_EQ(network.max_weight(), 7.0);
    EXPECT_EQ(network.threshold(), 0.0);
    EXPECT_EQ(network.learning_rate(), 5.0);
    EXPECT_EQ(network.layer_count(), 3);
}

TEST(TrainingReader, PatternsAreAppendedAfterThoseAlreadyHeld)
{
    Network network(nullptr);
    network.add_pattern({{1.0}, {}});
    EXPECT_EQ(read_training(network, "pattern: 1\npattern: 2\n"), 0);
    EXPECT_EQ(network.pattern_count(), 3);
}

TEST(TrainingReader, DecimalCommaLocaleChangesNothing)
{
    DecimalCommaLocale locale;
    if (!locale.active())
        GTEST_SKIP() << "no decimal-comma locale on this machine";
    Network network(nullptr);
    EXPECT_EQ(read_training(network, "error_limit: 0.05\npattern: 1,5\n"), 0);
    EXPECT_EQ(network.error_limit, 0.05);
}

TEST(TrainingReader, SkipsAByteOrderMarkAtTheVeryStartOnly)
{
    const std::string records = "pattern: 0 -> 1\npattern: 1 -> 0\n";
    const TempDir directory;
    const std::string path = directory.write("marked.txt", "\xEF\xBB\xBF" + records);
    Network from_file(nullptr);
    EXPECT_EQ(from_file.read_training_section(path.c_str()), 0);
    EXPECT_EQ(from_file.pattern_count(), 2);
    Network from_memory(nullptr);
    EXPECT_EQ(from_memory.read_training_text("\xEF\xBB\xBF" + records), 0);
    EXPECT_EQ(from_memory.pattern_count(), 2);
    Network later_mark(nullptr);
    EXPECT_EQ(later_mark.read_training_text("pattern: 0 -> 1\n\xEF\xBB\xBFpattern: 1 -> 0\n"), 0);
    EXPECT_EQ(later_mark.pattern_count(), 1);
}
