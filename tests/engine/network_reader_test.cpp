// The network-section reader: the example file, misplaced records, bad values, and the
// files outside the format that are refused as a whole.
#include "engine/diagnostics.h"
#include "engine/network.h"

#include "tests/engine/network_files.h"

#include <gtest/gtest.h>


namespace {

void expect_connection(const Neuron& neuron, std::size_t index, int source, double weight)
{
    ASSERT_LT(index, neuron.connections.size());
    EXPECT_EQ(neuron.connections[index].source, source);
    EXPECT_EQ(neuron.connections[index].weight, weight);
}

// Expects `layers` layers holding `neurons` neurons in all.
void expect_size(const Network& network, int layers, int neurons)
{
    EXPECT_EQ(network.layer_count(), layers);
    EXPECT_EQ(network.neuron_count(), neurons);
}

}  // namespace

TEST(NetworkReader, ExampleFileBuildsFiveNeurons)
{
    const Network network(data_file("xor_example.txt").c_str());
    ASSERT_EQ(network.neuron_count(), 5);
    ASSERT_EQ(network.layer_count(), 3);
    EXPECT_EQ(network.layer_size(0), 2);
    EXPECT_EQ(network.layer_size(1), 2);
    EXPECT_EQ(network.layer_size(2), 1);
    EXPECT_EQ(network.input_count(), 2);
    EXPECT_EQ(network.output_count(), 1);
    EXPECT_FALSE(network.neuron(0).is_computing);
    EXPECT_FALSE(network.neuron(1).is_computing);
    EXPECT_TRUE(network.neuron(0).connections.empty());
    expect_connection(network.neuron(2), 0, 0, 0.5);
    expect_connection(network.neuron(2), 1, 1, -0.25);
    expect_connection(network.neuron(3), 0, 0, 1.0);
    expect_connection(network.neuron(3), 1, 1, 0.75);
    expect_connection(network.neuron(4), 0, 2, 2.0);
    expect_connection(network.neuron(4), 1, 3, -1.5);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(network.neuron(i).threshold, 0.0);
        EXPECT_EQ(network.neuron(i).slope_parameter, 1.0);
        EXPECT_EQ(network.neuron(i).max_weight, 10.0);     // "max_weight:" is not a network record
        EXPECT_EQ(network.neuron(i).learning_rate, 5.0);
    }
    EXPECT_EQ(network.pattern_count(), 0);
    EXPECT_EQ(network.error_limit, 0.1);
    EXPECT_EQ(network.max_iterations, 20000);
}

TEST(NetworkReader, EmptyFileOrFreeTextGivesEmptyNetwork)
{
    expect_empty(Network::from_text(""));
    expect_empty(Network::from_text("just some words\n\n   \ninput_layer:3\nInput_layer: 3\n"));
}

TEST(NetworkReader, InputLayerAloneIsInputAndOutput)
{
    const Network network = Network::from_text("input_layer: 3");
    EXPECT_EQ(network.layer_count(), 1);
    EXPECT_EQ(network.input_count(), 3);
    EXPECT_EQ(network.output_count(), 3);
}

TEST(NetworkReader, KeyWrittenAgainstItsValueIsNoRecord)
{
    const Network network = Network::from_text("input_layer: 2\ncomp_layer:2\n  weights: 1 1\n");
    expect_size(network, 1, 2);  // the weights record found a single layer and ended loading
}

TEST(NetworkReader, MissingBlankAfterKeyEndsLoadingAtTheFirstWeights)
{
    std::string text = read_text_file(data_file("xor_example.txt"));
    text.replace(text.find("comp_layer: 2"), 13, "comp_layer:2");
    const Network network = Network::from_text(text);
    expect_size(network, 1, 2);
    EXPECT_EQ(network.slope_parameter(), 0.5);
}

TEST(NetworkReader, ThresholdBeforeTheLayersHasNoEffectAndTheLastOneWins)
{
    const Network early = Network::from_text("treshold: 3\ninput_layer: 1\ncomp_layer: 1\n");
    EXPECT_EQ(early.neuron(1).threshold, 0.0);
    const Network twice = Network::from_text("input_layer: 1\ncomp_layer: 1\ntreshold: 3\n"
                                            "treshold: -2.5\nslope_parameter: 2\nslope_parameter: x\n");
    EXPECT_EQ(twice.neuron(0).threshold, -2.5);
    EXPECT_EQ(twice.neuron(1).threshold, -2.5);
    EXPECT_EQ(twice.neuron(1).slope_parameter, 2.0);
    const Network misspelt = Network::from_text("input_layer: 1\nthreshold: 3\n");
    EXPECT_EQ(misspelt.threshold(), 0.0);
}

TEST(NetworkReader, WeightsRightAfterTheInputLayerEndLoading)
{
    const Network network = Network::from_text("input_layer: 2\nweights: 1 2\ncomp_layer: 1\n");
    expect_size(network, 1, 2);
}

TEST(NetworkReader, SurplusWeightsRecordEndsLoading)
{
    const Network network = Network::from_text("input_layer: 1\ncomp_layer: 3\nweights: 1\n"
                                              "weights: 2\nweights: 3\nweights: 4\ntreshold: 1\n");
    EXPECT_EQ(network.neuron_count(), 4);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(network.neuron(i).threshold, 0.0);
    EXPECT_EQ(network.neuron(3).connections[0].weight, 3.0);
}

TEST(NetworkReader, SurplusValuesOnAWeightsLineAreIgnored)
{
    const Network network = Network::from_text("input_layer: 2\ncomp_layer: 1\nweights: 1 2 3\n");
    ASSERT_EQ(network.neuron(2).connections.size(), 2u);
    expect_connection(network.neuron(2), 1, 1, 2.0);
}

TEST(NetworkReader, NonNumberEndsTheWeightsOfItsRecord)
{
    const Network network = Network::from_text("input_layer: 3\ncomp_layer: 1\nweights: 1 x 3\n");
    const Neuron& neuron = network.neuron(3);
    ASSERT_EQ(neuron.connections.size(), 3u);
    expect_connection(neuron, 0, 0, 1.0);
    EXPECT_EQ(neuron.connections[1].source, 1);
    EXPECT_EQ(neuron.connections[2].source, 2);
}

TEST(NetworkReader, WeightsWrittenWithoutBlanksFollowExtraction)
{
    const Network network = Network::from_text("input_layer: 3\ncomp_layer: 1\nweights: 0.5-0.25+1e1\n");
    expect_connection(network.neuron(3), 0, 0, 0.5);
    expect_connection(network.neuron(3), 1, 1, -0.25);
    expect_connection(network.neuron(3), 2, 2, 10.0);
}

TEST(NetworkReader, WordsForInfinityAreNoNumbers)
{
    const Network network = Network::from_text("input_layer: 1\ncomp_layer: 1\nweights: inf\n"
                                              "treshold: nan\n");
    ASSERT_EQ(network.neuron(1).connections.size(), 1u);
    EXPECT_LE(std::abs(network.neuron(1).connections[0].weight), 10.0);
    EXPECT_EQ(network.threshold(), 0.0);
}

TEST(NetworkReader, CompLayerOfZeroRestartsTheRowsOfTheLatestLayer)
{
    const Network network = Network::from_text("input_layer: 2\ncomp_layer: 2\nweights: 1 2\n"
                                              "weights: 3 4\ncomp_layer: 0\nweights: 5 6\n");
    EXPECT_EQ(network.layer_count(), 2);
    const Neuron& first = network.neuron(2);
    ASSERT_EQ(first.connections.size(), 4u);
    expect_connection(first, 2, 0, 5.0);
    expect_connection(first, 3, 1, 6.0);
    EXPECT_EQ(network.neuron(3).connections.size(), 2u);
}

TEST(NetworkReader, MissingLayerCountCountsAsZero)
{
    const Network network = Network::from_text("input_layer: many\ncomp_layer: 2\n");
    EXPECT_EQ(network.layer_count(), 2);
    EXPECT_EQ(network.input_count(), 0);
    EXPECT_EQ(network.neuron_count(), 2);
    EXPECT_TRUE(network.neuron(0).connections.empty());
}

TEST(NetworkReader, NegativeCompLayerCountAddsNothing)
{
    const Network network = Network::from_text("input_layer: 1\ncomp_layer: -4\ncomp_layer: 1\n");
    expect_size(network, 2, 2);
}

TEST(NetworkReader, LinesEndingInCarriageReturnsAndIndentationRead)
{
    const Network network = Network::from_text("\tinput_layer: 1\r\n   comp_layer: 1\r\n"
                                              "  weights: 0.25\r\n treshold: 1\r");
    expect_connection(network.neuron(1), 0, 0, 0.25);
    EXPECT_EQ(network.threshold(), 1.0);
}

// Files outside the format, refused as a whole so that the programs show their error panel.
TEST(NetworkReaderRefuses, NegativeInputLayer)
{
    expect_empty(Network(data_file("hostile_negative_input_layer.txt").c_str()));
}

TEST(NetworkReaderRefuses, SecondInputLayer)
{
    expect_empty(Network(data_file("hostile_second_input_layer.txt").c_str()));
    expect_empty(Network::from_text("input_layer: 0\ninput_layer: 2\n"));
}

TEST(NetworkReader, ReadingIntoALoadedNetworkReplacesIt)
{
    const std::string first = "input_layer: 1\ncomp_layer: 1\nweights: 0.5\n";
    const std::string second = "input_layer: 2\ncomp_layer: 1\nweights: 0.25 -1\n";
    for (const bool from_file : {true, false}) {
        TempDir directory;
        Network network = Network::from_text(first);
        network.add_pattern({{1.0}, {0.0}});
        Diagnostics diagnostics;
        if (from_file)
            network.read_network_section(directory.write("second.txt", second).c_str(), &diagnostics);
        else
            network.read_network_text(second, &diagnostics);
        EXPECT_TRUE(diagnostics.entries.empty());
        EXPECT_EQ(network.input_count(), 2);
        EXPECT_EQ(all_weights(network), all_weights(Network::from_text(second)));
        EXPECT_EQ(network.pattern_count(), 1);  // the patterns stay
    }
}

TEST(NetworkReaderRefuses, CompLayerBeforeInputLayer)
{
    expect_empty(Network(data_file("hostile_comp_layer_first.txt").c_str()));
}

TEST(NetworkReaderRefuses, NeuronsBeyondTheLimit)
{
    const std::string at_limit = "input_layer: " + std::to_string(Network::max_neuron_count) + "\n";
    EXPECT_EQ(Network::from_text(at_limit).neuron_count(), Network::max_neuron_count);
    expect_empty(Network::from_text(at_limit + "comp_layer: 1\n"));
    const Network out_of_range = Network::from_text("input_layer: 99999999999999\n");
    EXPECT_EQ(out_of_range.neuron_count(), 0);  // a count that does not fit an int is missing: 0
    EXPECT_EQ(out_of_range.layer_count(), 1);
}

TEST(NetworkReaderRefuses, ConnectionsBeyondTheLimit)
{
    // 5478 * 5478 is just above 30 million connections; 5477 * 5477 just below.
    expect_empty(Network::from_text("input_layer: 5478\ncomp_layer: 5478\n"));
}

TEST(NetworkReader, SkipsAByteOrderMarkAtTheVeryStartOnly)
{
    const std::string mark = "\xEF\xBB\xBF";
    const std::string records = "input_layer: 2\ncomp_layer: 1\nweights: 0.5 0.25\n";
    const TempDir directory;
    for (const std::string& path : {directory.write("marked.txt", mark + records), std::string()}) {
        Diagnostics diagnostics;
        const Network network = path.empty() ? Network::from_text(mark + records, &diagnostics)
                                             : Network(path.c_str(), &diagnostics);
        EXPECT_EQ(network.neuron_count(), 3);
        EXPECT_EQ(all_weights(network), (std::vector<double>{0.5, 0.25}));
        EXPECT_TRUE(diagnostics.entries.empty());
    }
    // Anywhere else the mark stays part of its token, as before.
    EXPECT_EQ(Network::from_text("input_layer: 2\n" + mark + "comp_layer: 1\n").layer_count(), 1);
    expect_empty(Network::from_text(mark + mark + records));
}
