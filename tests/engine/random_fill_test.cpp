// Random completion: which connections are added, in which order, and on which grid.
#include "engine/network.h"

#include "engine/random_source.h"
#include "tests/engine/network_files.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// A random weight is max_weight * (1 - 2r / 32767) for an integer r from 0 to 32767.
bool on_random_grid(double weight, double max_weight)
{
    const double r = (1.0 - weight / max_weight) * 32767.0 / 2.0;
    return r >= -1e-6 && r <= 32767.0 + 1e-6 && std::fabs(r - std::round(r)) < 1e-6;
}

}  // namespace

TEST(RandomFill, NetworkWithoutWeightsGetsEveryConnectionOnTheGrid)
{
    const Network network = Network::from_text("input_layer: 3\ncomp_layer: 2\ncomp_layer: 4\n");
    ASSERT_EQ(network.neuron_count(), 9);
    for (int position = 3; position < 9; ++position) {
        const Neuron& neuron = network.neuron(position);
        const int first_source = position < 5 ? 0 : 3;
        const int sources = position < 5 ? 3 : 2;
        ASSERT_EQ(neuron.connections.size(), static_cast<std::size_t>(sources)) << "neuron " << position;
        for (int j = 0; j < sources; ++j) {
            EXPECT_EQ(neuron.connections[j].source, first_source + j);
            EXPECT_LE(std::fabs(neuron.connections[j].weight), 10.0);
            EXPECT_TRUE(on_random_grid(neuron.connections[j].weight, 10.0)) << neuron.connections[j].weight;
        }
    }
}

TEST(RandomFill, ShortWeightsLineIsCompletedInSourceOrder)
{
    const Network network(data_file("missing_weights.txt").c_str());
    const Neuron& neuron = network.neuron(2);
    ASSERT_EQ(neuron.connections.size(), 2u);
    EXPECT_EQ(neuron.connections[0].source, 0);
    EXPECT_EQ(neuron.connections[0].weight, 0.5);
    EXPECT_EQ(neuron.connections[1].source, 1);
    EXPECT_TRUE(on_random_grid(neuron.connections[1].weight, 10.0));
}

TEST(RandomFill, FullFileKeepsItsWeights)
{
    const Network network(data_file("xor_example.txt").c_str());
    EXPECT_EQ(network.neuron(2).connections.size(), 2u);
    EXPECT_EQ(network.neuron(3).connections[1].weight, 0.75);
    EXPECT_EQ(network.neuron(4).connections.size(), 2u);
}

TEST(RandomFill, InputLayerAloneIsLeftUnchanged)
{
    const Network network = Network::from_text("input_layer: 4\n");
    for (int i = 0; i < network.neuron_count(); ++i)
        EXPECT_TRUE(network.neuron(i).connections.empty());
}

TEST(RandomFill, NeuronAlreadyBeyondItsLayerGetsNothing)
{
    const Network network = Network::from_text("input_layer: 2\ncomp_layer: 1\nweights: 1\n"
                                              "comp_layer: 0\nweights: 2 3\n");
    const Neuron& neuron = network.neuron(2);
    ASSERT_EQ(neuron.connections.size(), 3u);
    EXPECT_EQ(neuron.connections[2].source, 1);
    EXPECT_EQ(neuron.connections[2].weight, 3.0);
}

TEST(RandomSource, DrawsFromZeroTo32767AndRepeatsForTheSameSeed)
{
    RandomSource first(12345u);
    RandomSource second(12345u);
    int low = 32767;
    int high = 0;
    for (int i = 0; i < 200000; ++i) {
        const int r = first.next();
        ASSERT_EQ(r, second.next());
        ASSERT_GE(r, 0);
        ASSERT_LE(r, RandomSource::max_value);
        low = std::min(low, r);
        high = std::max(high, r);
    }
    EXPECT_EQ(low, 0);
    EXPECT_EQ(high, 32767);
}

TEST(RandomSource, EverySeedDrawsItsOwnAndLowSeedsDrawAsTheyAlwaysDid)
{
    // The generator as it always ran: bits 16 to 30 of a state that the seed starts.
    const auto classic_draws = [](unsigned long state) {
        std::vector<int> draws;
        for (int i = 0; i < 64; ++i) {
            state = state * 1103515245u + 12345u;
            draws.push_back(static_cast<int>((state / 65536u) % 32768u));
        }
        return draws;
    };
    const auto draws = [](std::uint32_t seed) {
        RandomSource random(seed);
        std::vector<int> drawn;
        for (int i = 0; i < 64; ++i)
            drawn.push_back(random.next());
        return drawn;
    };
    for (std::uint32_t seed : {0u, 1u, 5u, 12345u, 0x7FFFFFFFu})
        EXPECT_EQ(draws(seed), classic_draws(seed)) << seed;
    const struct {
        std::uint32_t a;
        std::uint32_t b;
    } distinct[] = {{0u, 0x80000000u}, {5u, 0x80000005u}, {0x7FFFFFFFu, 0xFFFFFFFFu},
                    {0x80000000u, 0xFFFFFFFFu}, {0x80000000u, 0x80000001u}};
    for (const auto& pair : distinct)
        EXPECT_NE(draws(pair.a), draws(pair.b)) << pair.a << " " << pair.b;
    EXPECT_EQ(draws(0xFFFFFFFFu), draws(0xFFFFFFFFu));
}
