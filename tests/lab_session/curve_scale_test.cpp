// The curve's scale: whole decades around the errors and the limit, rows and columns in the box.
#include "lab_session/curve_scale.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(CurveScale, FitsWholeDecadesAroundTheErrorsAndTheLimit)
{
    const struct {
        std::vector<CurvePoint> samples;
        double limit;
        int low;
        int high;
        int last_pass;
    } cases[] = {
        {{}, 0.05, -2, 0, 1},
        {{{0, 0.9, 0.3}, {400, 0.04, 0.0007}}, 0.05, -4, 0, 400},
        {{{0, 2.5, 1.0}}, 0.1, -1, 1, 1},
        {{{10, 0.0, 0.0}, {20, NAN, INFINITY}}, 0.1, -1, 0, 20},  // nothing to take a logarithm of
        {{{0, 1e-9, 1e-10}}, 0.5, -6, 0, 1},                     // at most six decades
    };
    for (const auto& c : cases) {
        const CurveScale scale = fit_scale(c.samples, c.limit);
        EXPECT_EQ(scale.low_exponent, c.low) << c.limit;
        EXPECT_EQ(scale.high_exponent, c.high) << c.limit;
        EXPECT_EQ(scale.last_pass, c.last_pass) << c.limit;
    }
}

TEST(CurveScale, RowsFollowTheLogarithmAndStayInTheBox)
{
    const CurveScale scale{-3, 0, 100};
    const struct {
        double value;
        int row;
    } cases[] = {{1.0, 0}, {0.1, 100}, {0.01, 200}, {0.001, 300}, {10.0, 0}, {1e-9, 300}, {0.0, 300}, {NAN, 300}};
    for (const auto& c : cases)
        EXPECT_EQ(value_row(scale, c.value, 301), c.row) << c.value;
    EXPECT_EQ(pass_column(scale, 0, 201), 0);
    EXPECT_EQ(pass_column(scale, 50, 201), 100);
    EXPECT_EQ(pass_column(scale, 100, 201), 200);
}

}  // namespace
