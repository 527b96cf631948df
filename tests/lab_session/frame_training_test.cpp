// Training between frames: the states it ends in, and a frame's training held to its budget
// by the clock handed in (the weights of training in steps are the engine's tests).
#include "lab_session/frame_training.h"

#include "engine/network.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

namespace {

// Exclusive-or from fixed starting weights: converges after some thousands of passes.
const std::string exclusive_or_text = read_text_file(std::string(EXAMPLES_DIR) + "/exclusive_or_training.txt");

// A clock that moves on by `step` seconds each time it is read.
struct SteppingClock {
    double step;
    double now = 0.0;
    int reads = 0;
    double operator()()
    {
        ++reads;
        return now += step;
    }
};

const SecondsClock still_clock = [] { return 0.0; };

TEST(FrameTraining, ConvergesAtThePassOfOneRun)
{
    Network whole = trainable_network(exclusive_or_text);
    ASSERT_EQ(whole.train(nullptr), Converged);

    Network stepped = trainable_network(exclusive_or_text);
    TrainingStepper stepper = start_stepper(stepped, true);
    stepper.state = TrainingState::Training;
    while (stepper.state == TrainingState::Training)
        run_passes(stepped, stepper, 1000, still_clock, 0.02);
    EXPECT_EQ(stepper.state, TrainingState::Converged);
    EXPECT_EQ(stepper.run.passes_done(), whole.iterations_done);
    EXPECT_EQ(all_weights(stepped), all_weights(whole));
    EXPECT_EQ(run_passes(stepped, stepper, 10, still_clock, 0.02), 0);
}

TEST(FrameTraining, StopsAtThePassLimitWithoutAFinalCheck)
{
    Network network = trainable_network(exclusive_or_text + "max_iterations: 30\n");
    TrainingStepper stepper = start_stepper(network, true);
    EXPECT_EQ(run_passes(network, stepper, 100, still_clock, 0.02), 30);
    EXPECT_EQ(stepper.state, TrainingState::IterationLimit);
    EXPECT_EQ(run_passes(network, stepper, 1, still_clock, 0.02), 0);

    Network none = trainable_network(exclusive_or_text + "max_iterations: 0\n");
    TrainingStepper no_passes = start_stepper(none, true);
    EXPECT_EQ(run_passes(none, no_passes, 1, still_clock, 0.02), 0);
    EXPECT_EQ(no_passes.state, TrainingState::IterationLimit);
}

TEST(FrameTraining, UnusablePatternsTrainNothing)
{
    Network network = trainable_network("input_layer: 2\ncomp_layer: 1\npattern: 1 -> 1\n");
    const std::vector<double> before = all_weights(network);
    TrainingStepper stepper = start_stepper(network, true);
    EXPECT_EQ(run_passes(network, stepper, 5, still_clock, 0.02), 0);
    EXPECT_EQ(stepper.state, TrainingState::NoPatterns);
    EXPECT_EQ(all_weights(network), before);
}

TEST(FrameTraining, AFrameEndsOnceItsBudgetIsSpent)
{
    // Every read of the clock costs 5 ms: a 20 ms budget holds only a few chunks.
    Network network = trainable_network(exclusive_or_text);
    TrainingStepper stepper = start_stepper(network, true);
    SteppingClock clock{0.005};
    const int made = run_passes(network, stepper, 10000, std::ref(clock), 0.02);
    EXPECT_GT(made, 0);
    EXPECT_LT(made, 10000);
    EXPECT_LE(clock.now, 0.02 + 4 * clock.step);
    // A clock that never moves lets the frame make every pass it asked for.
    EXPECT_EQ(run_passes(network, stepper, 250, still_clock, 0.02), 250);
}

}  // namespace
