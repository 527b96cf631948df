// A lesson read back by both readers trains to the same passes and weights, to the bit, as the
// network that wrote it; one it cannot hold is refused whole.
#include "engine/training_run.h"

#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <sstream>

namespace {

// Weights that the fixed-point layout holds exactly; pattern values and parameters that
// fixed-point text with 17 decimals would not (1e-20, 0.1).
const std::string lesson_start_text =
    "input_layer: 2\ncomp_layer: 2\nweights: 0.5 -0.25\nweights: 1 0.75\n"
    "comp_layer: 1\nweights: 2 -1.5\ntreshold: 0.125\nslope_parameter: 2\n"
    "pattern: 0.1 1e-20 -> 0\npattern: 0 0.9 -> 1\npattern: 1 0.1 -> 1\npattern: 0.9 1 -> 0.1\n"
    "pattern: 0.3 0.7 -> 0.7\npattern: 0.6 0.2 -> 0.3\n"
    "error_limit: 0.05\nmax_iterations: 3000\nlearning_rate: 0.7\n";

struct LessonCase {
    bool learn_thresholds;
    double held_out_share;
    std::uint32_t held_out_seed;
};

std::string lesson_of(const Network& network)
{
    std::ostringstream out;
    EXPECT_TRUE(network.write_lesson(out));
    return out.str();
}

Network read_lesson(const std::string& text)
{
    Network network = Network::from_text(text, 0u);
    EXPECT_EQ(network.read_training_text(text), 0);
    return network;
}

void train_whole_run(Network& network, TrainingRun& run)
{
    while (!run.step(network, 1000).finished) {
    }
}

TEST(LessonWriter, ReadBackTrainsToTheSameBits)
{
    const LessonCase cases[] = {
        {false, 0.0, 0},
        {true, 0.0, 0},
        {false, 1.0 / 3.0, 7},
        {true, 0.5, 4294967295u},
    };
    for (const LessonCase& lesson : cases) {
        SCOPED_TRACE(testing::Message() << lesson.learn_thresholds << " " << lesson.held_out_share);
        Network written = Network::from_text(lesson_start_text, 0u);
        ASSERT_EQ(written.read_training_text(lesson_start_text), 0);
        written.learn_thresholds = lesson.learn_thresholds;
        written.held_out_share = lesson.held_out_share;
        written.held_out_seed = lesson.held_out_seed;
        const std::string text = lesson_of(written);

        Network read = read_lesson(text);
        EXPECT_EQ(lesson_of(read), text);
        EXPECT_EQ(read.learn_thresholds, lesson.learn_thresholds);
        EXPECT_EQ(read.held_out_seed, lesson.held_out_seed);

        TrainingRun written_run(written);
        TrainingRun read_run(read);
        train_whole_run(written, written_run);
        train_whole_run(read, read_run);
        EXPECT_EQ(read_run.held_out(), written_run.held_out());
        EXPECT_EQ(read_run.result(), written_run.result());
        EXPECT_EQ(read_run.passes_done(), written_run.passes_done());
        EXPECT_EQ(all_weights(read), all_weights(written));
        for (int i = 0; i < read.neuron_count(); ++i)
            EXPECT_EQ(read.neuron(i).threshold, written.neuron(i).threshold) << "neuron " << i;
    }
}

// Trained weights far below 1, which 17 decimals would round, come back to the bit.
TEST(LessonWriter, SmallTrainedWeightsReadBackToTheBit)
{
    Network written = Network::from_layers({2, 3, 1}, 4);
    ASSERT_EQ(written.read_training_text(lesson_start_text), 0);
    std::vector<double> weights = all_weights(written);
    weights[0] = 1.234567890123456789e-5;
    weights[3] = -0.061234567890123456;
    ASSERT_TRUE(written.set_weights(weights));
    written.set_threshold_all(0.0123456789012345678);
    const Network read = read_lesson(lesson_of(written));
    EXPECT_EQ(all_weights(read), all_weights(written));
    EXPECT_EQ(read.threshold(), written.threshold());
}

TEST(LessonWriter, RefusesValuesTheFileCannotHold)
{
    Network network = Network::from_text(lesson_start_text, 0u);
    network.read_training_text(lesson_start_text);
    network.add_pattern({{std::numeric_limits<double>::quiet_NaN(), 0.0}, {1.0}});
    std::ostringstream out;
    EXPECT_FALSE(network.write_lesson(out));
    EXPECT_EQ(out.str(), "");
}

TEST(LessonWriter, NetworkRecordsStayAsTheWriterWritesThem)
{
    const Network network = Network::from_text(lesson_start_text, 0u);
    std::ostringstream records;
    ASSERT_TRUE(network.write_network(records));
    EXPECT_EQ(lesson_of(network).rfind(records.str(), 0), 0u);
}

}  // namespace
