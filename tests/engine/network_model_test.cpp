// The network model: empty networks, queries, setters, patterns and deep copies.
#include "engine/network.h"

#include "tests/engine/network_files.h"

#include <gtest/gtest.h>

TEST(NetworkModel, MissingFileGivesEmptyNetwork)
{
    TempDir directory;
    const Network network(directory.file("missing.txt").c_str());
    expect_empty(network);
    EXPECT_EQ(network.pattern_count(), 0);
    EXPECT_EQ(network.threshold(), 0.0);
    EXPECT_EQ(network.slope_parameter(), 0.0);
    EXPECT_EQ(network.learning_rate(), 0.0);
    EXPECT_EQ(network.max_weight(), 0.0);
    EXPECT_TRUE(network.patterns_fit());
    EXPECT_EQ(network.error_limit, 0.1);
    EXPECT_EQ(network.max_iterations, 20000);
    EXPECT_EQ(network.iterations_done, 0);
}

TEST(NetworkModel, NullNameAndDirectoryGiveEmptyNetwork)
{
    TempDir directory;
    EXPECT_EQ(Network(nullptr).neuron_count(), 0);
    EXPECT_EQ(Network(directory.file("").c_str()).neuron_count(), 0);
}

TEST(NetworkModel, NeuronsStartWithConstructionValues)
{
    const Network network = Network::from_text("input_layer: 1\ncomp_layer: 1\n");
    for (int i = 0; i < network.neuron_count(); ++i) {
        const Neuron& neuron = network.neuron(i);
        EXPECT_EQ(neuron.threshold, 0.0);
        EXPECT_EQ(neuron.slope_parameter, 0.5);
        EXPECT_EQ(neuron.learning_rate, 5.0);
        EXPECT_EQ(neuron.max_weight, 10.0);
        EXPECT_EQ(neuron.error, 0.0);
        EXPECT_EQ(neuron.is_computing, i > 0);
    }
}

TEST(NetworkModel, SettersReachOnlyNeuronsThatExist)
{
    const Network network = Network::from_text("input_layer: 2\ntreshold: 0.7\ncomp_layer: 1\n");
    EXPECT_EQ(network.neuron(0).threshold, 0.7);
    EXPECT_EQ(network.neuron(1).threshold, 0.7);
    EXPECT_EQ(network.neuron(2).threshold, 0.0);
}

TEST(NetworkModel, AddConnectionOnInputNeuronDoesNothing)
{
    std::vector<Neuron> list;
    list.emplace_back(list, false);
    list[0].add_connection(0, 1.0);
    EXPECT_TRUE(list[0].connections.empty());
}

TEST(NetworkModel, PatternsFitOnlyWhenEveryPatternHasTheRightSizes)
{
    Network network = Network::from_text("input_layer: 2\ncomp_layer: 1\n");
    EXPECT_TRUE(network.patterns_fit());
    network.add_pattern({{0.0, 1.0}, {1.0}});
    EXPECT_TRUE(network.patterns_fit());
    network.add_pattern({{0.0, 1.0, 2.0}, {1.0}});
    EXPECT_FALSE(network.patterns_fit());
    EXPECT_EQ(network.pattern_count(), 2);
    network.clear_patterns();
    EXPECT_EQ(network.pattern_count(), 0);
    network.add_pattern({{0.0, 1.0}, {}});
    EXPECT_FALSE(network.patterns_fit());
}

TEST(NetworkCopy, CopyIsIndependentOfItsSource)
{
    Network source(data_file("xor_example.txt").c_str());
    Network copy(source);
    ASSERT_TRUE(copy.set_inputs({1.0, 0.0}));
    copy.evaluate();
    ASSERT_TRUE(copy.read_training_section(data_file("xor_example.txt").c_str()) == 0);
    copy.max_iterations = 5;
    copy.train(nullptr);

    EXPECT_EQ(source.neuron(4).output, 0.0);  // the copy evaluated its own neurons
    EXPECT_EQ(source.neuron(2).connections[0].weight, 0.5);
    EXPECT_NE(copy.neuron(2).connections[0].weight, 0.5);
    EXPECT_EQ(source.pattern_count(), 0);
    for (int i = 0; i < copy.neuron_count(); ++i)
        EXPECT_NE(copy.neuron(i).neuron_list, source.neuron(i).neuron_list);
}

TEST(NetworkCopy, CopyEvaluatesLikeItsSource)
{
    Network source(data_file("xor_example.txt").c_str());
    const Network copy_source(source);
    Network copy(copy_source);
    std::vector<double> expected;
    std::vector<double> actual;
    source.set_inputs({0.0, 1.0});
    source.evaluate();
    source.get_outputs(expected);
    copy.set_inputs({0.0, 1.0});
    copy.evaluate();
    copy.get_outputs(actual);
    EXPECT_EQ(actual, expected);
}

TEST(NetworkCopy, AssignmentReplacesWhatTheTargetHeld)
{
    const Network source = Network::from_text("input_layer: 1\ncomp_layer: 1\nweights: 3\n");
    Network target(data_file("xor_example.txt").c_str());
    target.add_pattern({{1.0}, {1.0}});
    target = source;
    ASSERT_EQ(target.neuron_count(), 2);
    EXPECT_EQ(target.layer_count(), 2);
    EXPECT_EQ(target.pattern_count(), 0);
    EXPECT_EQ(target.neuron(1).connections[0].weight, 3.0);
    target.set_inputs({1.0});
    target.evaluate();
    EXPECT_EQ(target.neuron(1).neuron_list, target.neuron(0).neuron_list);
    EXPECT_NE(target.neuron(1).neuron_list, source.neuron(1).neuron_list);
}

TEST(NetworkCopy, SelfAssignmentChangesNothing)
{
    Network network(data_file("xor_example.txt").c_str());
    Network& same = network;
    network = same;
    EXPECT_EQ(network.neuron_count(), 5);
    EXPECT_EQ(network.neuron(4).connections[1].weight, -1.5);
    network.set_inputs({1.0, 1.0});
    network.evaluate();
    EXPECT_GT(network.neuron(4).output, 0.0);
}

// The dense fast form must follow the new weights, or evaluation would use the old ones.
TEST(NetworkModel, SetWeightsReplacesEveryWeightOrNone)
{
    const char* const layers = "input_layer: 2\ncomp_layer: 2\ncomp_layer: 1\n";
    const std::vector<double> weights = {0.5, -1.25, 2.0, 0.75, -3.0, 1.5};
    const Network given = Network::from_text(
        "input_layer: 2\ncomp_layer: 2\n weights: 0.5 -1.25\n weights: 2.0 0.75\ncomp_layer: 1\n weights: -3.0 1.5\n");
    Network network = Network::from_text(layers);
    const double first_before = network.neuron(2).connections[0].weight;
    EXPECT_FALSE(network.set_weights({1.0, 2.0}));
    EXPECT_FALSE(network.set_weights(std::vector<double>(7, 1.0)));
    EXPECT_EQ(network.neuron(2).connections[0].weight, first_before);
    ASSERT_TRUE(network.set_weights(weights));
    std::vector<double> expected;
    std::vector<double> actual;
    Network reference(given);
    for (const std::vector<double>& inputs : {std::vector<double>{0.0, 1.0}, {0.3, -0.7}}) {
        reference.set_inputs(inputs);
        reference.evaluate();
        reference.get_outputs(expected);
        network.set_inputs(inputs);
        network.evaluate();
        network.get_outputs(actual);
        EXPECT_EQ(actual, expected);
    }
    EXPECT_EQ(network.neuron(4).connections[1].weight, 1.5);
}
