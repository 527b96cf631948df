// The learning curve drawn: worst error and mean squared error against passes, on a
// logarithmic scale with a line at the error limit.
#ifndef NET_LAB_CURVE_DRAWING_H
#define NET_LAB_CURVE_DRAWING_H

#include "engine/training_run.h"

#include <cstddef>
#include <vector>

struct BITMAP;

// Points net_lab's curve keeps: a long run keeps its whole shape in bounded memory.
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

// Row of `value` in a box `height` pixels high whose top row is 0; values at or below the
// bottom of the scale (0 and not-a-number included) give the bottom row, values above the
// top the top row.
int value_row(const CurveScale& scale, double value, int height);
// Column of `pass` in a box `width` pixels wide whose left column is 0.
int pass_column(const CurveScale& scale, int pass, int width);

// Palette entries of the curve.
struct CurveColors {
    int worst;
    int mean_squared;
    int held_out_worst;
    int held_out_mean_squared;
    int limit;
    int frame;
    int text;
};

// Draws the curve into the box at (x, y) of `width` x `height` pixels: a frame, the decades
// labelled on the left, the error limit as a line, and both error curves; with `held_out`,
// the held-out patterns' two error curves too.
void draw_curve(BITMAP* target, int x, int y, int width, int height, const LearningCurve& curve,
                double error_limit, bool held_out, const CurveColors& colors);

#endif
