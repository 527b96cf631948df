// The frame's pace: the speed steps' ends, the training budget, and rates taken once per window
// from the times handed in.
#include "lab_session/frame_pace.h"

#include <gtest/gtest.h>

namespace {

TEST(SpeedSteps, StartAtAHundredAndStopAtBothEnds)
{
    EXPECT_EQ(passes_per_frame_steps[starting_speed_step], 100);
    EXPECT_EQ(faster_step(3), 4);
    EXPECT_EQ(faster_step(speed_step_count - 1), speed_step_count - 1);
    EXPECT_EQ(slower_step(3), 2);
    EXPECT_EQ(slower_step(0), 0);
}

TEST(TrainingBudget, TrainsInWhatTheDrawingLeavesOfAFrame)
{
    const struct {
        double drawing;
        double budget;
    } cases[] = {{0.0, most_training_seconds}, {0.023, frame_seconds - 0.023}, {0.5, least_training_seconds}};
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(training_budget(c.drawing), c.budget) << c.drawing;
}

TEST(DrawingDue, EveryFrameBelowFullSpeedAndWithinItsShareOfTheTimeAtFullSpeed)
{
    const struct {
        bool full_speed;
        double since_drawn;
        double drawing;
        bool due;
    } cases[] = {{false, 0.0, 0.5, true}, {true, 0.1, 0.01, true}, {true, 0.1, 0.011, false}, {true, 0.0, 0.0, true}};
    for (const auto& c : cases)
        EXPECT_EQ(drawing_due(c.full_speed, c.since_drawn, c.drawing), c.due) << c.since_drawn << ' ' << c.drawing;
}

TEST(FrameRates, AreTakenOncePerWindowAndRestartWithTheWeights)
{
    FrameRates rates;
    rates.take(0.2, 40);  // within the first window: nothing taken yet
    EXPECT_EQ(rates.passes_per_second, 0.0);
    rates.take(0.5, 100);
    EXPECT_DOUBLE_EQ(rates.passes_per_second, 200.0);
    EXPECT_DOUBLE_EQ(rates.frames_per_second, 4.0);
    rates.restart();
    EXPECT_EQ(rates.passes_per_second, 0.0);
    rates.take(1.0, 50);  // 50 passes since the weights were set again
    EXPECT_DOUBLE_EQ(rates.passes_per_second, 100.0);
    EXPECT_DOUBLE_EQ(rates.frames_per_second, 2.0);
    rates.take(1.5, 0);  // never below 0, whatever the count handed in
    EXPECT_EQ(rates.passes_per_second, 0.0);
}

}  // namespace
