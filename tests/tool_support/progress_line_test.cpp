// The progress line: silent in short runs and when disabled, redrawn in place a few times a second.
#include "tool_support/progress_line.h"

#include <gtest/gtest.h>

#include <sstream>

TEST(ProgressLine, StaysSilentDuringTheFirstSecond)
{
    std::ostringstream out;
    ProgressLine progress(out, true);
    EXPECT_FALSE(progress.due(0.0));
    EXPECT_FALSE(progress.due(0.99));
    EXPECT_TRUE(progress.due(1.0));
}

TEST(ProgressLine, DisabledLineNeverWrites)
{
    std::ostringstream out;
    ProgressLine progress(out, false);
    EXPECT_FALSE(progress.due(5.0));
    progress.show(5.0, 10, 100, 0.5);
    progress.clear();
    EXPECT_EQ(out.str(), "");
}

TEST(ProgressLine, RedrawsInPlaceAtMostFourTimesASecondAndClearsAtTheEnd)
{
    std::ostringstream out;
    ProgressLine progress(out, true);
    ASSERT_TRUE(progress.due(1.2));
    progress.show(1.2, 1200, 50000, 0.25);
    EXPECT_EQ(out.str(), "\rnet_train: training: pass 1200 of 50000, worst error 0.25\x1b[K");
    EXPECT_FALSE(progress.due(1.3));
    EXPECT_TRUE(progress.due(1.45));
    progress.show(1.45, 1500, 50000, 0.125);
    progress.clear();
    EXPECT_EQ(out.str(), "\rnet_train: training: pass 1200 of 50000, worst error 0.25\x1b[K"
                         "\rnet_train: training: pass 1500 of 50000, worst error 0.125\x1b[K"
                         "\r\x1b[K");
}

TEST(ProgressLine, ClearWithoutALineWritesNothing)
{
    std::ostringstream out;
    ProgressLine progress(out, true);
    progress.clear();
    EXPECT_EQ(out.str(), "");
}
