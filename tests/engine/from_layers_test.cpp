// Networks from layer sizes: the starting weights' rule, their draws, and the refusals.
#include "engine/diagnostics.h"
#include "engine/network.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>

namespace {

// FNV-1a over every weight's bits, neuron by neuron: other platforms are held to the same value.
std::uint64_t weight_checksum(const Network& network)
{
    std::uint64_t hash = 14695981039346656037ull;
    for (int position = 0; position < network.neuron_count(); ++position) {
        for (const Connection& connection : network.neuron(position).connections) {
            std::uint64_t bits = 0;
            std::memcpy(&bits, &connection.weight, sizeof bits);
            for (int byte = 0; byte < 8; ++byte)
                hash = (hash ^ ((bits >> (8 * byte)) & 0xFFu)) * 1099511628211ull;
        }
    }
    return hash;
}

}  // namespace

// The first two layers' limits are 8 sqrt(6 / 96) and 8 sqrt(6 / 42) by the rule.
TEST(FromLayers, EveryNeuronTakesTheWholeLayerBeforeWithinItsLayersRange)
{
    Diagnostics diagnostics;
    const Network network = Network::from_layers({64, 32, 10, 1}, 3u, &diagnostics);
    ASSERT_EQ(network.layer_count(), 4);
    EXPECT_EQ(diagnostics.drawn_weights, 64 * 32 + 32 * 10 + 10);
    EXPECT_TRUE(diagnostics.entries.empty());
    // The last layer's rule gives 8 sqrt(6 / 11) > 5, within max_weight; none is clamped here.
    const double limits[] = {2.0, 8.0 * std::sqrt(1.0 / 7.0), 8.0 * std::sqrt(6.0 / 11.0)};
    int position = 64;
    int first_source = 0;
    for (int layer = 1; layer < 4; ++layer) {
        const int fan_in = network.layer_size(layer - 1);
        double widest = 0.0;
        for (int i = 0; i < network.layer_size(layer); ++i, ++position) {
            const Neuron& neuron = network.neuron(position);
            ASSERT_EQ(neuron.connections.size(), static_cast<std::size_t>(fan_in));
            for (int j = 0; j < fan_in; ++j) {
                EXPECT_EQ(neuron.connections[j].source, first_source + j);
                EXPECT_LE(std::fabs(neuron.connections[j].weight), limits[layer - 1]);
                widest = std::fmax(widest, std::fabs(neuron.connections[j].weight));
            }
        }
        // The draws span the range rather than a part of it.
        EXPECT_GT(widest, 0.9 * limits[layer - 1]) << "layer " << layer;
        first_source += fan_in;
    }
    EXPECT_EQ(network.threshold(), 0.0);
    EXPECT_EQ(network.max_weight(), 10.0);
}

TEST(FromLayers, SmallLayersStartWithinMaxWeight)
{
    const Network network = Network::from_layers({1, 1}, 0u);  // the rule gives 8 sqrt(3)
    double widest = 0.0;
    for (int seed = 0; seed < 200; ++seed)
        widest = std::fmax(widest, std::fabs(Network::from_layers({1, 1}, seed).neuron(1).connections[0].weight));
    EXPECT_LE(widest, network.max_weight());
    EXPECT_GT(widest, 9.0);
}

TEST(FromLayers, SeedGivesTheSameBitsEverywhere)
{
    const Network network = Network::from_layers({3, 4, 2}, 7u);
    EXPECT_EQ(weight_checksum(network), weight_checksum(Network::from_layers({3, 4, 2}, 7u)));
    EXPECT_NE(weight_checksum(network), weight_checksum(Network::from_layers({3, 4, 2}, 8u)));
    EXPECT_EQ(weight_checksum(network), 0xca94294e62a92f78ull);
    EXPECT_EQ(weight_checksum(Network::from_layers({3, 4, 2}, 0xFFFFFFFFu)), 0xa9f61299047aef16ull);
    // A file's missing weights are still drawn from +-max_weight, as they always were.
    const Network completed = Network::from_text("input_layer: 3\ncomp_layer: 4\ncomp_layer: 2\n", 7u);
    EXPECT_EQ(weight_checksum(completed), 0xacfa8dbb60710949ull);
}

TEST(FromLayers, SizesTheReaderWouldRefuseGiveAnEmptyNetworkAndTheReason)
{
    const struct {
        std::vector<int> sizes;
        const char* reason;
    } cases[] = {
        {{}, "an input layer and at least one computing layer"},
        {{3}, "an input layer and at least one computing layer"},
        {{2, 0, 1}, "layer 2 has 0 neurons"},
        {{-1, 2}, "layer 1 has -1 neurons"},
        {{1000000, 1}, "more than 1000000 neurons"},
        {{6000, 5000, 1}, "more than 30000000 connections"},
    };
    for (const auto& c : cases) {
        Diagnostics diagnostics;
        const Network network = Network::from_layers(c.sizes, 1u, &diagnostics);
        EXPECT_EQ(network.layer_count(), 0);
        ASSERT_EQ(diagnostics.entries.size(), 1u);
        EXPECT_NE(diagnostics.entries[0].message.find(c.reason), std::string::npos) << diagnostics.entries[0].message;
    }
}

TEST(FromLayers, GivenParametersReachEveryNeuronAndASteeperSlopeStartsNarrower)
{
    NeuronParameters steep;
    steep.threshold = 2.0;
    steep.slope_parameter = 2.0;
    steep.learning_rate = 0.5;
    steep.max_weight = 4.0;
    const Network network = Network::from_layers({2, 2, 1}, 5u, steep);
    ASSERT_EQ(network.layer_count(), 3);
    double widest = 0.0;
    for (int position = 0; position < network.neuron_count(); ++position) {
        const Neuron& neuron = network.neuron(position);
        EXPECT_EQ(neuron.threshold, 2.0);
        EXPECT_EQ(neuron.slope_parameter, 2.0);
        EXPECT_EQ(neuron.learning_rate, 0.5);
        EXPECT_EQ(neuron.max_weight, 4.0);
        for (const Connection& connection : neuron.connections)
            widest = std::fmax(widest, std::fabs(connection.weight));
    }
    // 2 sqrt(6 / 3) / 4, the output layer's range and the wider of the two.
    EXPECT_LE(widest, std::sqrt(2.0) / 2.0);
    EXPECT_EQ(Network::starting_weight_limit(2, 2, 2.0), 8.0 * std::sqrt(1.5) / 16.0);
    // The default slope keeps the default rule to the bit, and a flat one is bounded by max_weight.
    EXPECT_EQ(weight_checksum(Network::from_layers({3, 4, 2}, 7u, NeuronParameters{})), 0xca94294e62a92f78ull);
    NeuronParameters flat;
    flat.slope_parameter = 0.0;
    EXPECT_LE(std::fabs(Network::from_layers({1, 1}, 0u, flat).neuron(1).connections[0].weight), flat.max_weight);
}

TEST(FromLayers, ParametersThatAreNotNumbersAreRefused)
{
    for (double NeuronParameters::*field : {&NeuronParameters::threshold, &NeuronParameters::slope_parameter,
                                           &NeuronParameters::learning_rate, &NeuronParameters::max_weight}) {
        for (const double bad : {std::nan(""), HUGE_VAL}) {
            NeuronParameters parameters;
            parameters.*field = bad;
            Diagnostics diagnostics;
            EXPECT_EQ(Network::from_layers({2, 1}, 0u, parameters, &diagnostics).layer_count(), 0);
            ASSERT_EQ(diagnostics.entries.size(), 1u);
            EXPECT_NE(diagnostics.entries[0].message.find("finite"), std::string::npos);
        }
    }
}

// The classroom's settings for exclusive-or: a starting threshold of 2, slope 2, rate 0.5.
TEST(FromLayers, ExclusiveOrFromLayerSizesConvergesFromMostSeeds)
{
    NeuronParameters tutorial;
    tutorial.threshold = 2.0;
    tutorial.slope_parameter = 2.0;
    tutorial.learning_rate = 0.5;
    int converged = 0;
    constexpr int seeds = 10;
    for (unsigned seed = 0; seed < seeds; ++seed) {
        Network network = Network::from_layers({2, 2, 1}, seed, tutorial);
        network.learn_thresholds = true;
        network.error_limit = 0.05;
        network.max_iterations = 50000;
        for (int a = 0; a < 2; ++a)
            for (int b = 0; b < 2; ++b)
                network.add_pattern({{double(a), double(b)}, {double(a ^ b)}});
        converged += network.train(nullptr) == Converged;
    }
    EXPECT_GE(converged, 9);
}
