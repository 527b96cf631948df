// The session both front ends drive: one pass only while paused, a frame's passes from the
// speed step, and a held-out share or a reset starting the run again from the files' weights.
#include "lab_session/lab_session.h"

#include "tests/support/test_support.h"

#include <gtest/gtest.h>

namespace {

const SecondsClock still_clock = [] { return 0.0; };
const std::string exclusive_or = std::string(EXAMPLES_DIR) + "/exclusive_or_training.txt";

TEST(LabSession, TrainsOnePassWhilePausedAndTheSpeedStepsPassesWhileTraining)
{
    LabSession session;
    session.load({exclusive_or, ""}, 0);
    const std::vector<double> loaded = all_weights(session.network());
    session.train_frame(1.0, still_clock);  // paused: nothing
    session.one_pass(1.0, still_clock);
    EXPECT_EQ(session.passes(), 1);
    session.start_pause();
    session.one_pass(1.0, still_clock);  // training: "." does nothing
    EXPECT_EQ(session.passes(), 1);
    session.slower();
    session.train_frame(1.0, still_clock);
    EXPECT_EQ(session.passes(), 1 + passes_per_frame_steps[starting_speed_step - 1]);
    EXPECT_EQ(session.curve.points().back().pass, session.passes());

    session.hold_out(0.5);
    EXPECT_EQ(session.passes(), 0);
    EXPECT_EQ(session.stepper.state, TrainingState::Paused);
    EXPECT_EQ(session.errors.held_out_patterns, 2);
    EXPECT_EQ(all_weights(session.network()), loaded);
    session.load({exclusive_or, ""}, 0);  // the share stays with another file
    EXPECT_EQ(session.errors.held_out_patterns, 2);
}

TEST(LabSession, AFrameTellsWhenItsBudgetCutTheSpeedStepShort)
{
    LabSession session;
    session.load({exclusive_or, ""}, 0);
    EXPECT_FALSE(session.train_frame(1.0, still_clock));  // paused
    session.start_pause();
    EXPECT_FALSE(session.train_frame(1.0, still_clock));
    double now = 0.0;
    const SecondsClock slow_clock = [&now] { return now += 1.0; };
    EXPECT_TRUE(session.train_frame(0.5, slow_clock));
    EXPECT_LT(session.passes(), 2 * passes_per_frame_steps[starting_speed_step]);
}

}  // namespace
