// The learning curve's CSV text: its header, the "#" line once rows are thinned, and exact numbers.
#include "net_train/output_files.h"

#include "engine/training_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>

TEST(CurveCsv, ThinnedRowsSayEveryHowManyPassesAndKeepTheLast)
{
    const int limit = static_cast<int>(curve_rows);
    LearningCurve curve(curve_rows);
    for (int pass = 0; pass < limit; ++pass)
        curve.add(pass, 1.0 / (pass + 1), 0.0);
    EXPECT_EQ(curve.step(), 1);
    curve.add(limit, 0.5, 0.0);  // one row too many
    EXPECT_EQ(curve.step(), 2);
    curve.add(limit + 2, 0.25, 0.0);
    curve.add(limit + 3, 0.125, 0.0);  // the last pass of a run
    const std::string csv = curve_csv(curve);
    EXPECT_EQ(csv.rfind("pass,worst_error,mean_squared_error\n# k=2: one row every 2 passes, and one for the last "
                        "pass\n0,1,0\n2,0.3333333333333333,0\n4,0.2,0\n",
                        0),
              0u);
    const std::string end = "\n" + std::to_string(limit) + ",0.5,0\n" + std::to_string(limit + 2) + ",0.25,0\n" +
                            std::to_string(limit + 3) + ",0.125,0\n";
    EXPECT_EQ(csv.substr(csv.size() - end.size()), end);
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 2 + limit / 2 + 3);
}

TEST(CurveCsv, ExactNumbersAndNoRowTwiceForOnePass)
{
    LearningCurve curve(curve_rows);
    curve.add(0, 0.5, 0.25);
    curve.add(1, 0.125, 1e-5);
    curve.add(1, 9.0, 9.0);  // the same pass again, as at the end of a converged run
    curve.add(2, std::numeric_limits<double>::infinity(), std::numeric_limits<double>::quiet_NaN());
    // inf - inf, as overflowing outputs give it, is a NaN with its sign bit set.
    const double infinity = std::numeric_limits<double>::infinity();
    curve.add(3, infinity - infinity, -std::numeric_limits<double>::quiet_NaN());
    EXPECT_EQ(curve_csv(curve), "pass,worst_error,mean_squared_error\n0,0.5,0.25\n1,0.125,1e-05\n2,inf,nan\n3,nan,nan\n");
}

TEST(CurveCsv, HeldOutPatternsAddTwoColumns)
{
    LearningCurve curve(curve_rows);
    curve.add({0, 0.5, 0.25, 0.75, 0.125});
    curve.add({4, 0.25, 1e-5, 0.5, 0.0625});
    EXPECT_EQ(curve_csv(curve, true), "pass,worst_error,mean_squared_error,test_worst_error,test_mean_squared_error\n"
                                      "0,0.5,0.25,0.75,0.125\n4,0.25,1e-05,0.5,0.0625\n");
}
