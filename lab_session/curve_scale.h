// Where the learning curve's points go in its box: whole decades of error upwards, passes to
// the right. net_lab draws on it and the page's chart is handed the rows and columns it gives.
#ifndef LAB_SESSION_CURVE_SCALE_H
#define LAB_SESSION_CURVE_SCALE_H

#include "engine/training_run.h"

#include <cstddef>
#include <vector>

// Points the lab's curve keeps: a long run keeps its whole shape in bounded memory.
constexpr std::size_t curve_points = 1024;

// Where values go on the curve's box: decades from 10^low_exponent at the bottom to
// 10^high_exponent at the top, passes from 0 at the left to `last_pass` at the right.
struct CurveScale {
    int low_exponent;
    int high_exponent;
    int last_pass;
};

// Fits every point's errors and the error limit, in whole decades with the top at 1 or
// above: at least one decade, at most `max_decades` (errors below the bottom are drawn on it).
CurveScale fit_scale(const std::vector<CurvePoint>& points, double error_limit);
constexpr int max_decades = 6;

// Whether `value` is drawn apart from the bottom of the scale: a number above the smallest shown.
bool is_shown(double value);
// Row of `value` in a box `height` pixels high whose top row is 0; values at or below the
// bottom of the scale (0 and not-a-number included) give the bottom row, values above the
// top the top row.
int value_row(const CurveScale& scale, double value, int height);
// Row of the decade 10^`exponent`.
int decade_row(const CurveScale& scale, int exponent, int height);
// Column of `pass` in a box `width` pixels wide whose left column is 0.
int pass_column(const CurveScale& scale, int pass, int width);

#endif
