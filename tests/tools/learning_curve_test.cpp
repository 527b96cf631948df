// The learning curve's rows, its thinning for long runs and its CSV text.
#include "tools/learning_curve.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

TEST(LearningCurve, OneRowPerPassUpToTheRowLimitThenEveryKth)
{
    EXPECT_EQ(LearningCurve(0).step(), 1);
    EXPECT_EQ(LearningCurve(-5).step(), 1);
    EXPECT_EQ(LearningCurve(LearningCurve::max_rows).step(), 1);
    EXPECT_EQ(LearningCurve(LearningCurve::max_rows + 1).step(), 2);
    EXPECT_EQ(LearningCurve(50000).step(), 5);
    EXPECT_EQ(LearningCurve(std::numeric_limits<int>::max()).step(), 214749);
}

TEST(LearningCurve, CsvHasTheHeaderTheStepAndExactNumbers)
{
    LearningCurve curve(30000);
    curve.add(0, {0.5, 0.25});
    curve.add(3, {0.125, 1e-5});
    curve.add(3, {9.0, 9.0});  // the same pass again, as at the end of a run
    curve.add(5, {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::quiet_NaN()});
    EXPECT_EQ(curve.csv(), "pass,worst_error,mean_squared_error\n"
                           "# k=3: one row every 3 passes, and one for the last pass\n"
                           "0,0.5,0.25\n3,0.125,1e-05\n5,nan,nan\n");
    EXPECT_EQ(LearningCurve(10).csv(), "pass,worst_error,mean_squared_error\n");
}
