// Held-out patterns: how many and which a seed picks, training on the others only, and their
// errors measured apart.
#include "engine/training_run.h"

#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>

namespace {

// Two inputs, one output, eight patterns of a noisy or-like table.
const std::string network_text =
    "input_layer: 2\ncomp_layer: 3\nweights: 0.5 -0.25\nweights: 1 0.75\nweights: -0.5 0.25\n"
    "comp_layer: 1\nweights: 2 -1.5 0.5\n"
    "pattern: 0 0 -> 0\npattern: 0 1 -> 1\npattern: 1 0 -> 1\npattern: 1 1 -> 1\n"
    "pattern: 0.2 0.1 -> 0.1\npattern: 0.9 0.1 -> 0.9\npattern: 0.1 0.8 -> 0.8\npattern: 0.5 0.5 -> 0.7\n"
    "error_limit: 0.05\nmax_iterations: 3000\nlearning_rate: 0.5\n";

std::vector<int> marked(const std::vector<char>& marks)
{
    std::vector<int> indices;
    for (std::size_t i = 0; i < marks.size(); ++i)
        if (marks[i] != 0)
            indices.push_back(static_cast<int>(i));
    return indices;
}

TEST(HeldOut, CountIsTheRoundedShareLeavingOneToTrain)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const struct {
        int patterns;
        double share;
        int expected;
    } cases[] = {{10, 0.0, 0}, {10, 0.25, 3}, {10, 0.24, 2}, {10, 0.9, 9}, {10, 2.0, 9}, {4, 0.9, 3},
                 {2, 0.9, 1},  {1, 0.9, 0},   {0, 0.5, 0},   {10, -0.5, 0}, {10, nan, 0}};
    for (const auto& c : cases) {
        EXPECT_EQ(held_out_count(c.patterns, c.share), c.expected) << c.patterns << " " << c.share;
        std::vector<char> marks{1};
        choose_held_out(c.patterns, c.share, 7, marks);
        EXPECT_EQ(static_cast<int>(marked(marks).size()), c.expected);
        EXPECT_EQ(marks.size(), c.expected > 0 ? static_cast<std::size_t>(c.patterns) : 0u);
    }
}

TEST(HeldOut, ASeedPicksTheSamePatternsEveryTime)
{
    std::vector<char> marks;
    choose_held_out(20, 0.25, 1, marks);
    EXPECT_EQ(marked(marks), (std::vector<int>{1, 2, 3, 6, 10}));
    std::vector<char> other;
    choose_held_out(20, 0.25, 2, other);
    EXPECT_NE(marked(other), marked(marks));
}

// The shuffled order is a permutation whose first places are the patterns held out for every
// share, so that a front end's shuffled rows and its held-out rows come from one shuffle.
TEST(HeldOut, TheShuffledOrderStartsWithTheHeldOutPatterns)
{
    for (const int count : {0, 1, 2, 20, 150}) {
        std::vector<int> order{9};
        shuffled_order(count, 1, order);
        std::vector<int> sorted = order;
        std::sort(sorted.begin(), sorted.end());
        for (int i = 0; i < count; ++i)
            EXPECT_EQ(sorted[static_cast<std::size_t>(i)], i) << count;
        EXPECT_EQ(static_cast<int>(order.size()), count);
        for (int wanted = 1; wanted < count; ++wanted) {
            const double share = static_cast<double>(wanted) / count;
            const int held = held_out_count(count, share);
            std::vector<char> marks;
            choose_held_out(count, share, 1, marks);
            std::vector<int> first(order.begin(), order.begin() + held);
            std::sort(first.begin(), first.end());
            EXPECT_EQ(first, marked(marks)) << count << " " << held;
        }
    }
    std::vector<int> other;
    std::vector<int> order;
    shuffled_order(20, 1, order);
    shuffled_order(20, 2, other);
    EXPECT_NE(order, other);
}

TEST(HeldOut, ShareZeroTrainsAsOneTrainingCall)
{
    Network alone = trainable_network(network_text);
    Network run_network = trainable_network(network_text);
    const int result = alone.train(nullptr);
    TrainingRun run(run_network.max_iterations, run_network, 0.0, 5);
    EXPECT_TRUE(run.held_out().empty());
    while (!run.step(run_network, 97).finished) {
    }
    EXPECT_EQ(run.result(), result);
    EXPECT_EQ(run_network.iterations_done, alone.iterations_done);
    EXPECT_EQ(all_weights(run_network), all_weights(alone));
}

// Training with patterns held out gives, bit for bit, the training of a network that holds
// the others only, in their order; the held-out errors are that network's errors on them.
TEST(HeldOut, TrainingAndItsCheckUseTheOtherPatternsOnly)
{
    const struct {
        double share;
        std::uint32_t seed;
        const char* limit;  // appended max_iterations record
    } cases[] = {{0.25, 1, ""}, {0.5, 3, ""}, {0.9, 11, ""}, {0.125, 4, "max_iterations: 1\n"}};
    for (const auto& c : cases) {
        Network network = trainable_network(network_text + c.limit);
        TrainingRun run(network.max_iterations, network, c.share, c.seed);
        const std::vector<char> marks = run.held_out();
        ASSERT_EQ(static_cast<int>(marked(marks).size()), held_out_count(8, c.share));
        Network kept = trainable_network(network_text + c.limit);
        Network apart = trainable_network(network_text + c.limit);
        kept.clear_patterns();
        apart.clear_patterns();
        for (int index = 0; index < network.pattern_count(); ++index)
            (marks[static_cast<std::size_t>(index)] != 0 ? apart : kept).add_pattern(network.pattern(index));
        while (!run.step(network, 13).finished) {
        }
        EXPECT_EQ(run.result(), kept.train(nullptr)) << c.share;
        EXPECT_EQ(network.iterations_done, kept.iterations_done) << c.share;
        EXPECT_EQ(all_weights(network), all_weights(kept)) << c.share;

        PatternErrors all, trained, held;
        measure_pattern_errors(network, all, run);
        measure_pattern_errors(kept, trained);
        apart.set_weights(all_weights(network));
        measure_pattern_errors(apart, held);
        EXPECT_EQ(all.worst, trained.worst);
        EXPECT_EQ(all.mean_squared, trained.mean_squared);
        EXPECT_EQ(all.held_out_patterns, apart.pattern_count());
        EXPECT_EQ(all.held_out_worst, held.worst);
        EXPECT_EQ(all.held_out_mean_squared, held.mean_squared);
        EXPECT_EQ(all.pattern_worst.size(), 8u);
    }
}

}  // namespace
