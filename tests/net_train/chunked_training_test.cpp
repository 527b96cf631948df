// Chunked training gives exactly what one training run gives: weights, result and passes.
#include "net_train/chunked_training.h"

#include "tests/net_train/tool_files.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

struct TrainingRun {
    int result;
    int iterations_done;
    int max_iterations;
    std::vector<double> weights;
};

// A network read from a file holding `text`, with the file's training records.
Network trained_network_from(const std::string& text)
{
    const TempDir directory;
    const std::string path = directory.write("network.txt", text);
    Network network(path.c_str());
    network.read_training_section(path.c_str());
    return network;
}

TrainingRun single_run(Network network)
{
    const int result = network.train(nullptr);
    return {result, network.iterations_done, network.max_iterations, all_weights(network)};
}

TrainingRun chunked_run(Network network, int chunk)
{
    const int result = train_in_chunks(network, chunk, [chunk](int, int) { return chunk; });
    return {result, network.iterations_done, network.max_iterations, all_weights(network)};
}

void expect_same(const TrainingRun& expected, const TrainingRun& found)
{
    EXPECT_EQ(found.result, expected.result);
    EXPECT_EQ(found.iterations_done, expected.iterations_done);
    EXPECT_EQ(found.max_iterations, expected.max_iterations);
    ASSERT_EQ(found.weights.size(), expected.weights.size());
    for (std::size_t k = 0; k < expected.weights.size(); ++k)
        EXPECT_EQ(found.weights[k], expected.weights[k]) << "weight " << k;  // bit for bit
}

}  // namespace

TEST(ChunkedTraining, ConvergingRunIsBitIdenticalForEveryChunkSize)
{
    const Network network = trained_network_from(exclusive_or_text);
    const TrainingRun expected = single_run(network);
    ASSERT_EQ(expected.result, Converged);
    ASSERT_GT(expected.iterations_done, 1000);
    for (int chunk : {1, 2, 7, 1000, expected.iterations_done, expected.iterations_done + 1, 1000000})
        expect_same(expected, chunked_run(network, chunk));
}

TEST(ChunkedTraining, IterationLimitRunIsBitIdenticalAndMakesNoFinalCheck)
{
    std::string text = exclusive_or_text;
    text += "max_iterations: 300\n";
    const Network network = trained_network_from(text);
    const TrainingRun expected = single_run(network);
    ASSERT_EQ(expected.result, IterationLimit);
    ASSERT_EQ(expected.iterations_done, 300);
    for (int chunk : {1, 3, 100, 299, 300, 301})
        expect_same(expected, chunked_run(network, chunk));
}

TEST(ChunkedTraining, ChunkSizesMayChangeFromChunkToChunk)
{
    const Network network = trained_network_from(exclusive_or_text);
    const TrainingRun expected = single_run(network);
    Network chunked = network;
    std::vector<int> seen;
    const int sizes[] = {0, 3, -2, 250, 1, 40};  // below 1 counts as 1
    const int result = train_in_chunks(chunked, 5, [&](int passes_done, int) {
        seen.push_back(passes_done);
        return sizes[seen.size() % 6];
    });
    expect_same(expected, {result, chunked.iterations_done, chunked.max_iterations, all_weights(chunked)});
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.front(), 5);
    EXPECT_LT(seen.back(), expected.iterations_done);
}

TEST(ChunkedTraining, LimitOfZeroOrLessEndsAtOnceWithIterationLimit)
{
    for (const char* limit : {"0", "-5"}) {
        const Network network = trained_network_from(std::string(exclusive_or_text) + "max_iterations: " + limit + "\n");
        const TrainingRun expected = single_run(network);
        EXPECT_EQ(expected.result, IterationLimit);
        expect_same(expected, chunked_run(network, 4));
    }
}

TEST(ChunkedTraining, PatternsThatDoNotFitLeaveThePassCountAlone)
{
    Network network = trained_network_from(std::string(exclusive_or_text) + "pattern: 1 1 1 -> 0\n");
    network.iterations_done = 17;
    const std::vector<double> before = all_weights(network);
    EXPECT_EQ(train_in_chunks(network, 3, nullptr), NoUsablePatterns);
    EXPECT_EQ(network.iterations_done, 17);
    EXPECT_EQ(network.max_iterations, 50000);
    EXPECT_EQ(all_weights(network), before);
}

TEST(WorstError, IsTheLargestDifferenceOverAllPatternsAndOutputs)
{
    // All weights 0: every output is 0.5 whatever the input.
    Network network = trained_network_from("input_layer: 1\ncomp_layer: 2\nweights: 0\nweights: 0\n"
                                           "pattern: 0 -> 0.5 0.5\npattern: 1 -> 0.25 0.5\n"
                                           "pattern: 2 -> 0.5 0.875\n");
    EXPECT_DOUBLE_EQ(worst_error(network), 0.375);
}

TEST(WorstError, IsZeroWithoutPatternsAndNaNWhenAnOutputIsNotANumber)
{
    TempDir directory;
    const std::string path = directory.write("network.txt", "input_layer: 1\ncomp_layer: 1\nweights: 0\n");
    Network network(path.c_str());
    EXPECT_EQ(worst_error(network), 0.0);
    network.add_pattern({{std::nan("")}, {0.5}});
    network.add_pattern({{0.0}, {0.0}});
    EXPECT_TRUE(std::isnan(worst_error(network)));
}
