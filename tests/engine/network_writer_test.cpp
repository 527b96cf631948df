// The writer: the canonical layout to the byte, and a round trip through the reader.
#include "engine/diagnostics.h"
#include "engine/network.h"

#include "tests/engine/network_files.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <sstream>

namespace {

std::string first_lines(const std::string& text, int count)
{
    std::istringstream stream(text);
    std::string result;
    std::string line;
    for (int i = 0; i < count && std::getline(stream, line); ++i)
        result += line + "\n";
    return result;
}

std::string written(const Network& network, const TempDir& directory)
{
    const std::string path = directory.file("written.txt");
    EXPECT_TRUE(network.write_network_file(path.c_str()));
    return read_text_file(path);
}

}  // namespace

TEST(NetworkWriter, ExampleNetworkGivesTheFirstTwelveLinesByteForByte)
{
    TempDir directory;
    const std::string example = read_text_file(data_file("xor_example.txt"));
    const Network network(data_file("xor_example.txt").c_str());
    EXPECT_EQ(written(network, directory), first_lines(example, 12));
}

TEST(NetworkWriter, EmptyNetworkIsOneLine)
{
    TempDir directory;
    EXPECT_EQ(written(Network(nullptr), directory), "Network is empty, nothing to save here.\n");
    const Network size_zero = Network::from_text("input_layer: 0\n");
    EXPECT_EQ(written(size_zero, directory), "Network is empty, nothing to save here.\n");
}

TEST(NetworkWriter, InputLayerAloneIsWrittenWithItsParameters)
{
    TempDir directory;
    const Network network = Network::from_text("input_layer: 3\n");
    EXPECT_EQ(written(network, directory), "input_layer: 3\n\ntreshold: 0.00000000000000000\n"
                                           "slope_parameter: 0.50000000000000000\n"
                                           "max_weight: 10.00000000000000000\n");
}

TEST(NetworkWriter, WeightFieldsPadBySizeAndSign)
{
    TempDir directory;
    const Network network = Network::from_text("input_layer: 5\ncomp_layer: 1\n"
                                              "weights: 10 -10 0.5 -0.5 123.5\n");
    const std::string text = written(network, directory);
    EXPECT_EQ(first_lines(text, 4).substr(first_lines(text, 3).size()),
              "  weights:  10.00000000000000000 -10.00000000000000000   0.50000000000000000  "
              "-0.50000000000000000  123.50000000000000000\n");
}

TEST(NetworkWriter, NeuronWithoutConnectionsGetsABareWeightsLine)
{
    TempDir directory;
    const Network network = Network::from_text("input_layer: 0\ncomp_layer: 1\n");
    EXPECT_EQ(first_lines(written(network, directory), 4), "input_layer: 0\n\ncomp_layer: 1\n  weights:\n");
}

TEST(NetworkWriter, RoundsToSeventeenDecimals)
{
    TempDir directory;
    const Network network = Network::from_text(one_link_network("0.1") + "treshold: -1e-18\n");
    const std::string text = written(network, directory);
    EXPECT_NE(text.find("  weights:   0.10000000000000001\n"), std::string::npos) << text;
    EXPECT_NE(text.find("treshold: -0.00000000000000000\n"), std::string::npos) << text;
}

TEST(NetworkWriter, ReplacesAnOlderFile)
{
    TempDir directory;
    const std::string path = directory.file("written.txt");
    write_text_file(path, std::string(10000, 'x'));
    Network(nullptr).write_network_file(path.c_str());
    EXPECT_EQ(read_text_file(path), "Network is empty, nothing to save here.\n");
}

TEST(NetworkWriter, UnwritablePathIsRefusedAndChangesNothing)
{
    TempDir directory;
    const Network network(data_file("xor_example.txt").c_str());
    EXPECT_FALSE(network.write_network_file(directory.file("no/such/dir.txt").c_str()));
    EXPECT_FALSE(network.write_network_file(nullptr));
    EXPECT_EQ(network.neuron_count(), 5);
}

// Such a weight would be written "nan" or "inf", which the readers take for a missing one.
TEST(NetworkWriter, RefusesWeightsThatAreNotFiniteAndLeavesTheFileAsItWas)
{
    TempDir directory;
    const std::string path = directory.file("written.txt");
    constexpr double infinity = std::numeric_limits<double>::infinity();
    for (const double weight : {std::nan(""), infinity, -infinity}) {
        Network network = Network::from_text("input_layer: 2\ncomp_layer: 1\n  weights: 0.5 0.5\n", 1u);
        ASSERT_TRUE(network.set_weights({0.5, weight}));
        EXPECT_FALSE(network.weights_are_finite());
        std::ostringstream out;
        EXPECT_FALSE(network.write_network(out)) << weight;
        EXPECT_EQ(out.str(), "") << weight;
        write_text_file(path, "older");
        EXPECT_FALSE(network.write_network_file(path.c_str())) << weight;
        EXPECT_EQ(read_text_file(path), "older") << weight;
    }
}

TEST(NetworkWriter, DecimalCommaLocaleKeepsTheFullStop)
{
    TempDir directory;
    const Network network(data_file("xor_example.txt").c_str());
    const std::string in_c_locale = written(network, directory);
    DecimalCommaLocale locale;
    if (!locale.active())
        GTEST_SKIP() << "no decimal-comma locale on this machine";
    EXPECT_EQ(written(network, directory), in_c_locale);
    const Network read_back(directory.file("written.txt").c_str());
    EXPECT_EQ(read_back.neuron(4).connections[1].weight, -1.5);
}

TEST(NetworkRoundTrip, LearnedThresholdsReadBackToTheBit)
{
    Network trained = Network::from_file(data_file("xor_example.txt").c_str(), 3u);
    ASSERT_EQ(trained.read_training_section(data_file("xor_example.txt").c_str()), 0);
    trained.learn_thresholds = true;
    trained.max_iterations = 200;
    trained.train(nullptr);
    ASSERT_NE(trained.neuron(2).threshold, trained.neuron(4).threshold);
    std::ostringstream text;
    ASSERT_TRUE(trained.write_network(text));
    // Each computing neuron's record follows its weights; the shared record keeps neuron 0's.
    EXPECT_NE(text.str().find("\n  neuron_threshold: "), std::string::npos);
    EXPECT_NE(text.str().find("\ntreshold: 0.00000000000000000\n"), std::string::npos);
    Network copy = Network::from_text(text.str(), 0u);
    std::vector<double> expected;
    std::vector<double> actual;
    for (int i = 0; i < trained.neuron_count(); ++i)
        EXPECT_EQ(copy.neuron(i).threshold, trained.neuron(i).threshold) << "neuron " << i;
    for (const std::vector<double>& inputs : {std::vector<double>{0.0, 1.0}, std::vector<double>{0.3, 0.9}}) {
        trained.set_inputs(inputs);
        trained.evaluate();
        trained.get_outputs(expected);
        copy.set_inputs(inputs);
        copy.evaluate();
        copy.get_outputs(actual);
        EXPECT_EQ(actual, expected);
    }
    std::ostringstream again;
    ASSERT_TRUE(copy.write_network(again));
    EXPECT_EQ(again.str(), text.str());
}

TEST(NetworkReader, NeuronThresholdRecordBelongsToTheLatestWeightsRecord)
{
    Diagnostics diagnostics;
    const Network network = Network::from_text("input_layer: 1\nneuron_threshold: 9\ncomp_layer: 2\nweights: 1\n"
                                               "neuron_threshold: 0.25\nweights: 2\ntreshold: -1\n",
                                               0u, &diagnostics);
    EXPECT_EQ(network.neuron(0).threshold, -1.0);
    EXPECT_EQ(network.neuron(1).threshold, 0.25);  // the shared record after it does not reach it
    EXPECT_EQ(network.neuron(2).threshold, -1.0);
    ASSERT_EQ(diagnostics.entries.size(), 1u);
    EXPECT_EQ(diagnostics.entries[0].line, 2);
}

TEST(NetworkRoundTrip, WrittenNetworkReadsBackTheSame)
{
    TempDir directory;
    const Network original = Network::from_text("input_layer: 3\ncomp_layer: 4\ncomp_layer: 2\n"
                                               "treshold: 0.3\nslope_parameter: 1.7\n");
    const std::string path = directory.file("round_trip.txt");
    original.write_network_file(path.c_str());
    Network copy(path.c_str());
    ASSERT_EQ(copy.layer_count(), original.layer_count());
    for (int layer = 0; layer < copy.layer_count(); ++layer)
        EXPECT_EQ(copy.layer_size(layer), original.layer_size(layer));
    ASSERT_EQ(copy.neuron_count(), original.neuron_count());
    for (int i = 0; i < copy.neuron_count(); ++i) {
        const Neuron& a = original.neuron(i);
        const Neuron& b = copy.neuron(i);
        EXPECT_EQ(b.threshold, a.threshold);
        EXPECT_EQ(b.slope_parameter, a.slope_parameter);
        ASSERT_EQ(b.connections.size(), a.connections.size());
        for (std::size_t c = 0; c < a.connections.size(); ++c) {
            EXPECT_EQ(b.connections[c].source, a.connections[c].source);
            // Random weights are multiples of 10 / 32767; 17 decimals keep them within 1e-17.
            EXPECT_NEAR(b.connections[c].weight, a.connections[c].weight, 1e-16);
        }
    }
    copy.set_inputs({0.1, 0.2, 0.3});
    copy.evaluate();
    Network again(original);
    again.set_inputs({0.1, 0.2, 0.3});
    again.evaluate();
    std::vector<double> expected;
    std::vector<double> actual;
    again.get_outputs(expected);
    copy.get_outputs(actual);
    for (std::size_t k = 0; k < expected.size(); ++k)
        EXPECT_NEAR(actual[k], expected[k], 1e-14);
    // Writing the copy gives the same file again.
    const std::string second = directory.file("second.txt");
    copy.write_network_file(second.c_str());
    EXPECT_EQ(read_text_file(second), read_text_file(path));
}
