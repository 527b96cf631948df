// The engine's fast paths against a neuron-by-neuron reference that follows the documented
// order of every sum and update: outputs, weights and results must match to the last bit.
#include "engine/logistic.h"
#include "engine/network.h"

#include "tests/engine/kernel_choice.h"
#include "tests/engine/network_files.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <sstream>

namespace {

// The reference: every neuron computed and back-propagated one by one, in list order.
class PlainNetwork {
public:
    explicit PlainNetwork(const Network& network)
        : input_total(network.input_count()), output_total(network.output_count()),
          learn_thresholds(network.learn_thresholds)
    {
        for (int i = 0; i < network.neuron_count(); ++i)
            neurons.push_back(network.neuron(i));
    }

    void evaluate(const std::vector<double>& inputs)
    {
        for (int i = 0; i < input_total; ++i)
            neurons[i].output = inputs[i];
        for (Neuron& neuron : neurons) {
            if (!neuron.is_computing)
                continue;
            double sum = 0.0;
            for (const Connection& connection : neuron.connections)
                sum += neurons[connection.source].output * connection.weight;
            neuron.output = engine_logistic(sum, neuron.threshold, neuron.slope_parameter);
        }
    }

    int train(const std::vector<TrainingPattern>& patterns, double error_limit, int max_iterations, int& passes)
    {
        const std::size_t first_output = neurons.size() - static_cast<std::size_t>(output_total);
        for (passes = 0; passes < max_iterations; ++passes) {
            if (fits(patterns, error_limit))
                return Converged;
            for (const TrainingPattern& pattern : patterns) {
                evaluate(pattern.inputs);
                for (int k = 0; k < output_total; ++k)
                    neurons[first_output + k].error = pattern.expected_outputs[k] - neurons[first_output + k].output;
                for (std::size_t i = neurons.size(); i-- > 0;)
                    step_back(neurons[i]);
            }
        }
        return IterationLimit;
    }

    std::vector<Neuron> neurons;

private:
    bool fits(const std::vector<TrainingPattern>& patterns, double error_limit)
    {
        const std::size_t first_output = neurons.size() - static_cast<std::size_t>(output_total);
        for (const TrainingPattern& pattern : patterns) {
            evaluate(pattern.inputs);
            for (int k = 0; k < output_total; ++k)
                if (std::fabs(pattern.expected_outputs[k] - neurons[first_output + k].output) > error_limit)
                    return false;
        }
        return true;
    }

    void step_back(Neuron& neuron)
    {
        if (neuron.is_computing) {
            const double delta = ((neuron.error * neuron.slope_parameter) * neuron.output) * (1.0 - neuron.output);
            for (Connection& connection : neuron.connections) {
                Neuron& source = neurons[connection.source];
                source.error += delta * connection.weight;
                connection.weight += (neuron.learning_rate * delta) * source.output;
                if (connection.weight > neuron.max_weight)
                    connection.weight = neuron.max_weight;
                if (connection.weight < -neuron.max_weight)
                    connection.weight = -neuron.max_weight;
            }
            // Last in the neuron's step, as the weight from a source that is always -1.
            if (learn_thresholds) {
                neuron.threshold -= neuron.learning_rate * delta;
                if (neuron.threshold > neuron.max_weight)
                    neuron.threshold = neuron.max_weight;
                if (neuron.threshold < -neuron.max_weight)
                    neuron.threshold = -neuron.max_weight;
            }
        }
        neuron.error = 0.0;
    }

    int input_total;
    int output_total;
    bool learn_thresholds;
};

bool same_bits(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

void expect_same_network(const Network& network, const PlainNetwork& plain)
{
    ASSERT_EQ(static_cast<std::size_t>(network.neuron_count()), plain.neurons.size());
    for (int i = 0; i < network.neuron_count(); ++i) {
        const Neuron& fast = network.neuron(i);
        const Neuron& reference = plain.neurons[i];
        EXPECT_TRUE(same_bits(fast.output, reference.output)) << "output of neuron " << i;
        EXPECT_TRUE(same_bits(fast.threshold, reference.threshold)) << "threshold of neuron " << i;
        EXPECT_EQ(fast.error, 0.0) << "error of neuron " << i;
        ASSERT_EQ(fast.connections.size(), reference.connections.size());
        for (std::size_t c = 0; c < fast.connections.size(); ++c) {
            EXPECT_EQ(fast.connections[c].source, reference.connections[c].source);
            EXPECT_TRUE(same_bits(fast.connections[c].weight, reference.connections[c].weight))
                << "neuron " << i << " connection " << c << ": " << fast.connections[c].weight << " vs "
                << reference.connections[c].weight;
        }
    }
}

// Evaluates both on `inputs` and expects the same network to the last bit.
void evaluate_both_and_compare(Network& network, PlainNetwork& plain, const std::vector<double>& inputs)
{
    ASSERT_TRUE(network.set_inputs(inputs));
    network.evaluate();
    plain.evaluate(inputs);
    expect_same_network(network, plain);
}

std::vector<double> random_values(std::mt19937& random, int count, double low, double high)
{
    std::uniform_real_distribution<double> value(low, high);
    std::vector<double> values;
    for (int i = 0; i < count; ++i)
        values.push_back(value(random));
    return values;
}

// A network file with random layers, parameters and (for some neurons) weights.
std::string random_network_text(std::mt19937& random, const std::vector<int>& layers)
{
    std::ostringstream text;
    text.precision(17);
    text << "input_layer: " << layers[0] << "\n";
    std::uniform_real_distribution<double> weight(-3.0, 3.0);
    for (std::size_t layer = 1; layer < layers.size(); ++layer) {
        text << "comp_layer: " << layers[layer] << "\n";
        for (int neuron = 0; neuron < layers[layer]; ++neuron) {
            text << "weights:";
            const int given = static_cast<int>(random() % static_cast<unsigned>(layers[layer - 1] + 1));
            for (int j = 0; j < given; ++j)
                text << " " << weight(random);
            text << "\n";
        }
    }
    text << "treshold: " << std::uniform_real_distribution<double>(-0.5, 0.5)(random) << "\n";
    text << "slope_parameter: " << std::uniform_real_distribution<double>(0.3, 2.0)(random) << "\n";
    return text.str();
}

void train_both_and_compare(Network& network, std::mt19937& random, double learning_rate, double max_weight)
{
    network.set_learning_rate_all(learning_rate);
    network.set_max_weight_all(max_weight);
    for (int p = 0; p < 6; ++p)
        network.add_pattern({random_values(random, network.input_count(), -1.0, 2.0),
                             random_values(random, network.output_count(), 0.0, 1.0)});
    std::vector<TrainingPattern> patterns;
    for (int p = 0; p < network.pattern_count(); ++p)
        patterns.push_back(network.pattern(p));
    network.error_limit = 0.02;
    network.max_iterations = 25;

    PlainNetwork plain(network);
    int plain_passes = 0;
    const int plain_result = plain.train(patterns, network.error_limit, network.max_iterations, plain_passes);
    EXPECT_EQ(network.train(nullptr), plain_result);
    EXPECT_EQ(network.iterations_done, plain_passes);
    expect_same_network(network, plain);
}

std::string topology_label(const std::vector<int>& layers)
{
    std::string label;
    for (int size : layers)
        label += (label.empty() ? "" : "-") + std::to_string(size);
    return label;
}

// "comp_layer: 0" lets the next records append beyond the previous layer's size, so this
// network does not read exactly the layer before.
const std::string longer_lists_text =
    "input_layer: 3\ncomp_layer: 4\nweights: 0.5 -0.25 1\nweights: 1 2 3\n"
    "comp_layer: 0\nweights: 0.75 -1.5\ncomp_layer: 2\ncomp_layer: 0\nweights: 1 1 1 1\nslope_parameter: 1.3\n";

// Narrow layers next to narrow layers pass values and errors in registers, one case for each
// number of sources up to four; the {2, 4, 3, ...} one also meets wider layers on both sides.
// The wide layers cover one row's sums in one pass over the inputs and in several (128 and
// 130 neurons exceed what a pass holds on every kernel set), and last blocks narrower than the
// others by one to three vectors (9, 17, 40, 60). Networks without inputs hold no weights at
// all, narrow and wide.
const std::vector<std::vector<int>> topologies = {
    {3, 4}, {3, 8, 4}, {2, 2, 1}, {1, 1}, {5, 9, 17, 3}, {7, 33, 2}, {20, 16, 16, 8}, {4, 5, 6, 7, 8}, {0, 3, 2},
    {3, 64, 5}, {6, 100, 3}, {2, 4, 3, 4, 1, 2, 9, 3}, {5, 128, 3}, {4, 130, 3}, {9, 40, 60, 3},
    {0, 2}, {0, 40}};

class PlainOrder : public OnEveryKernel {};

}  // namespace

TEST_P(PlainOrder, EvaluationMatchesBitForBit)
{
    std::mt19937 random(7);
    for (const std::vector<int>& layers : topologies) {
        Network network = Network::from_text(random_network_text(random, layers));
        PlainNetwork plain(network);
        for (int round = 0; round < 5; ++round) {
            evaluate_both_and_compare(network, plain, random_values(random, network.input_count(), -4.0, 4.0));
        }
    }
}

TEST_P(PlainOrder, TrainingMatchesBitForBit)
{
    std::mt19937 random(11);
    for (const std::vector<int>& layers : topologies) {
        Network network = Network::from_text(random_network_text(random, layers));
        train_both_and_compare(network, random, 0.7, 10.0);
    }
}

TEST_P(PlainOrder, ClampedTrainingMatchesBitForBit)
{
    std::mt19937 random(13);
    for (const std::vector<int>& layers : topologies) {
        Network network = Network::from_text(random_network_text(random, layers));
        train_both_and_compare(network, random, 40.0, 0.4);  // large steps into a tight limit
    }
    // A negative limit clamps every weight to the far side, as the two comparisons do in order.
    Network negative = Network::from_text(random_network_text(random, {3, 5, 2}));
    train_both_and_compare(negative, random, 1.0, -0.25);
}

TEST_P(PlainOrder, LearnedThresholdsMatchBitForBit)
{
    std::mt19937 random(37);
    for (const std::vector<int>& layers : topologies)
        for (const double max_weight : {10.0, 0.4}) {  // free and clamped thresholds
            Network network = Network::from_text(random_network_text(random, layers));
            network.learn_thresholds = true;
            train_both_and_compare(network, random, max_weight < 1.0 ? 40.0 : 0.7, max_weight);
        }
    Network longer = Network::from_text(longer_lists_text);  // trained neuron by neuron
    longer.learn_thresholds = true;
    train_both_and_compare(longer, random, 2.0, 3.0);
}

TEST_P(PlainOrder, LongerConnectionListsMatchBitForBit)
{
    std::mt19937 random(17);
    Network network = Network::from_text(longer_lists_text);
    ASSERT_EQ(network.neuron(3).connections.size(), 5u);
    PlainNetwork plain(network);
    evaluate_both_and_compare(network, plain, {0.2, -0.7, 1.1});
    train_both_and_compare(network, random, 2.0, 3.0);
}

TEST_P(PlainOrder, CopiesTrainLikeTheirSource)
{
    std::mt19937 random(19);
    Network source = Network::from_text(random_network_text(random, {6, 12, 3}));
    Network copy(source);
    Network assigned(nullptr);
    assigned = source;
    std::mt19937 same_patterns_a(23);
    std::mt19937 same_patterns_b(23);
    train_both_and_compare(copy, same_patterns_a, 0.9, 10.0);
    train_both_and_compare(assigned, same_patterns_b, 0.9, 10.0);
    for (int i = 0; i < copy.neuron_count(); ++i)
        for (std::size_t c = 0; c < copy.neuron(i).connections.size(); ++c)
            EXPECT_TRUE(same_bits(copy.neuron(i).connections[c].weight, assigned.neuron(i).connections[c].weight));
}

TEST_P(PlainOrder, ZeroSumsOfEitherSignMatchBitForBit)
{
    // Zero inputs times negative weights give sums of -0.0 in one order and +0.0 in another.
    for (const char* threshold : {"0", "-0", "1e-300"}) {
        Network network = Network::from_text("input_layer: 3\ncomp_layer: 3\nweights: -1 -2 -3\nweights: -0.5\n"
                                            "comp_layer: 2\ntreshold: " + std::string(threshold) + "\n");
        PlainNetwork plain(network);
        evaluate_both_and_compare(network, plain, {0.0, -0.0, 0.0});
    }
}

TEST_P(PlainOrder, AssignedNetworksComputeTheirNewShape)
{
    std::mt19937 random(29);
    const Network large = Network::from_text(random_network_text(random, {8, 8, 8}));
    const Network small = Network::from_text(random_network_text(random, {2, 1}));
    Network target = Network::from_text(random_network_text(random, {2, 1}));
    for (const Network* source : {&large, &small, &large}) {
        target = *source;
        PlainNetwork plain(*source);
        evaluate_both_and_compare(target, plain, random_values(random, source->input_count(), -1.0, 1.0));
    }
    Network copied(large);
    PlainNetwork plain(large);
    evaluate_both_and_compare(copied, plain, random_values(random, 8, -1.0, 1.0));
}

RUN_ON_EVERY_KERNEL(PlainOrder);

TEST(Kernels, BaselineIsAlwaysThereAndUnknownNamesAreRefused)
{
    const std::vector<std::string> kernels = FastForm::available_kernels();
    ASSERT_FALSE(kernels.empty());
    EXPECT_EQ(kernels.front(), "baseline");
    const std::string before = FastForm::selected_kernels();
    EXPECT_FALSE(FastForm::select_kernels("no such kernels"));
    EXPECT_FALSE(FastForm::select_kernels(""));
    EXPECT_EQ(FastForm::selected_kernels(), before);
}

// Evaluates `rows` random rows in one batch and expects each row's outputs, and the state
// left behind, as row-by-row evaluation gives them.
void expect_batch_as_rows(Network& network, std::mt19937& random, int rows)
{
    const std::vector<double> inputs = random_values(random, rows * network.input_count(), -4.0, 4.0);
    std::vector<double> outputs(static_cast<std::size_t>(rows * network.output_count()), -1.0);
    Network alone(network);
    PlainNetwork plain(network);
    ASSERT_TRUE(network.evaluate_batch(inputs.data(), outputs.data(), rows));
    std::vector<double> row_outputs;
    for (int row = 0; row < rows; ++row) {
        const auto first = inputs.begin() + row * network.input_count();
        const std::vector<double> row_inputs(first, first + network.input_count());
        ASSERT_TRUE(alone.set_inputs(row_inputs));
        alone.evaluate();
        alone.get_outputs(row_outputs);
        plain.evaluate(row_inputs);
        for (int k = 0; k < network.output_count(); ++k)
            EXPECT_TRUE(same_bits(outputs[static_cast<std::size_t>(row * network.output_count() + k)],
                                  row_outputs[static_cast<std::size_t>(k)]))
                << rows << " rows: row " << row << " output " << k;
    }
    expect_same_network(network, plain);
}

TEST_P(PlainOrder, BatchRowsMatchRowByRowEvaluation)
{
    std::mt19937 random(31);
    for (const std::vector<int>& layers : topologies) {
        SCOPED_TRACE(topology_label(layers));
        Network network = Network::from_text(random_network_text(random, layers));
        for (int rows : {1, 3, 4, 5, 9})
            expect_batch_as_rows(network, random, rows);
    }
    // Without the fast form, the same rows.
    Network uneven = Network::from_text(longer_lists_text);
    ASSERT_EQ(uneven.neuron(3).connections.size(), 5u);
    expect_batch_as_rows(uneven, random, 6);
}

TEST_P(PlainOrder, BatchRefusesBadCallsAndLeavesTheNetworkAlone)
{
    std::mt19937 random(37);
    Network network = Network::from_text(random_network_text(random, {3, 8, 2}));
    PlainNetwork plain(network);
    evaluate_both_and_compare(network, plain, {0.5, -1.0, 2.0});
    std::vector<double> inputs(6, 1.0);
    std::vector<double> outputs(4, -1.0);
    EXPECT_FALSE(network.evaluate_batch(inputs.data(), outputs.data(), -1));
    EXPECT_FALSE(network.evaluate_batch(nullptr, outputs.data(), 2));
    EXPECT_FALSE(network.evaluate_batch(inputs.data(), nullptr, 2));
    EXPECT_TRUE(network.evaluate_batch(nullptr, nullptr, 0));
    EXPECT_EQ(outputs, std::vector<double>(4, -1.0));
    expect_same_network(network, plain);
}
