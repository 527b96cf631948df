// Forward evaluation: the logistic output, input placement and output copying.
#include "engine/network.h"

#include "tests/engine/network_files.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(Evaluation, ReproducesTheWorkedExample)
{
    Network network = Network::from_text(one_link_network("2.0") + "treshold: 0.5\n");
    ASSERT_TRUE(network.set_inputs({1.0}));
    network.evaluate();
    std::vector<double> outputs;
    network.get_outputs(outputs);
    ASSERT_EQ(outputs.size(), 1u);
    EXPECT_NEAR(outputs[0], 0.6791787, 1e-7);
    EXPECT_EQ(outputs[0], 1.0 / (1.0 + std::exp(-0.75)));
}

TEST(Evaluation, SumsConnectionsInListOrder)
{
    // 1e16 + 1 - 1e16 is 0 in this order; another order would give 1 or 2.
    Network network = Network::from_text("input_layer: 3\ncomp_layer: 1\nweights: 1e16 1 -1e16\n"
                                        "slope_parameter: 1\n");
    network.set_inputs({1.0, 1.0, 1.0});
    network.evaluate();
    EXPECT_EQ(network.neuron(3).output, 0.5);
}

TEST(Evaluation, NeuronWithoutConnectionsUsesOnlyItsThreshold)
{
    Network network = Network::from_text("input_layer: 0\ncomp_layer: 2\n");
    network.evaluate();
    EXPECT_EQ(network.neuron(0).output, 0.5);
    Network shifted = Network::from_text("input_layer: 0\ncomp_layer: 1\ntreshold: 2\n");
    shifted.evaluate();
    EXPECT_EQ(shifted.neuron(0).output, 1.0 / (1.0 + std::exp(0.5 * 2.0)));
}

TEST(Evaluation, SlopeZeroGivesOneHalf)
{
    Network network = Network::from_text(one_link_network("7") + "slope_parameter: 0\n");
    network.set_inputs({100.0});
    network.evaluate();
    EXPECT_EQ(network.neuron(1).output, 0.5);
}

TEST(Evaluation, ExtremeSumsSaturateWithoutNaN)
{
    Network network = Network::from_text(one_link_network("10"));
    network.set_inputs({1e6});
    network.evaluate();
    EXPECT_EQ(network.neuron(1).output, 1.0);
    network.set_inputs({-1e6});
    network.evaluate();
    EXPECT_EQ(network.neuron(1).output, 0.0);
}

TEST(Evaluation, WrongInputCountIsRefusedAndChangesNothing)
{
    Network network = Network::from_text(one_link_network("1"));
    ASSERT_TRUE(network.set_inputs({0.25}));
    EXPECT_FALSE(network.set_inputs({}));
    EXPECT_FALSE(network.set_inputs({1.0, 2.0}));
    EXPECT_EQ(network.neuron(0).output, 0.25);
    network.evaluate();
    EXPECT_EQ(network.neuron(1).output, 1.0 / (1.0 + std::exp(-0.5 * 0.25)));
}

TEST(Evaluation, EmptyNetworkTakesEmptyInputsAndGivesNoOutputs)
{
    Network network(nullptr);
    EXPECT_TRUE(network.set_inputs({}));
    network.evaluate();
    std::vector<double> outputs{1.0, 2.0};
    network.get_outputs(outputs);
    EXPECT_TRUE(outputs.empty());
}

TEST(Evaluation, InputLayerAloneOutputsItsInputs)
{
    Network network = Network::from_text("input_layer: 3\n");
    ASSERT_TRUE(network.set_inputs({-1.0, 2.5, 7.0}));
    network.evaluate();
    std::vector<double> outputs;
    network.get_outputs(outputs);
    EXPECT_EQ(outputs, (std::vector<double>{-1.0, 2.5, 7.0}));
}

TEST(Evaluation, GetOutputsKeepsAListOfTheRightSizeAndShrinksALongerOne)
{
    Network network(data_file("xor_example.txt").c_str());
    network.set_inputs({1.0, 0.0});
    network.evaluate();
    std::vector<double> outputs(1, -1.0);
    const double* storage = outputs.data();
    network.get_outputs(outputs);
    EXPECT_EQ(outputs.data(), storage);
    EXPECT_EQ(outputs[0], network.neuron(4).output);
    std::vector<double> longer(5, -1.0);
    network.get_outputs(longer);
    EXPECT_EQ(longer, outputs);
}

TEST(Evaluation, RepeatedEvaluationGivesTheSameOutputsAndLeavesErrorsAlone)
{
    Network network(data_file("xor_example.txt").c_str());
    network.set_inputs({0.0, 1.0});
    network.evaluate();
    std::vector<double> first;
    network.get_outputs(first);
    network.evaluate();
    std::vector<double> second;
    network.get_outputs(second);
    EXPECT_EQ(first, second);
    for (int i = 0; i < network.neuron_count(); ++i)
        EXPECT_EQ(network.neuron(i).error, 0.0);
}

TEST(Evaluation, ParametersSetBetweenEvaluationsTakeEffect)
{
    struct Case {
        const char* what;
        void (Network::*set)(double);
        double value, threshold, slope;
    };
    const Case cases[] = {
        {"threshold", &Network::set_threshold_all, 0.75, 0.75, 0.5},
        {"slope", &Network::set_slope_parameter_all, 3.0, 0.0, 3.0},
    };
    for (const Case& c : cases) {
        Network network = Network::from_text(one_link_network("2"));
        network.set_inputs({1.0});
        network.evaluate();
        (network.*c.set)(c.value);
        network.evaluate();
        const double expected = 1.0 / (1.0 + std::exp(-c.slope * (2.0 - c.threshold)));
        EXPECT_NEAR(network.neuron(1).output, expected, 1e-15) << c.what;
        double batch_output = 0.0;
        const double input = 1.0;
        (network.*c.set)(0.0);
        ASSERT_TRUE(network.evaluate_batch(&input, &batch_output, 1));
        EXPECT_NE(batch_output, expected) << c.what << " in a batch";
        EXPECT_EQ(batch_output, network.neuron(1).output) << c.what << " in a batch";
    }
}
