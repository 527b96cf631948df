// The learning curve: worst error and mean squared error against passes, kept in a fixed
// number of samples, and drawn on a logarithmic scale with a line at the error limit.
#ifndef NET_LAB_LEARNING_CURVE_H
#define NET_LAB_LEARNING_CURVE_H

#include <vector>

struct BITMAP;

struct CurveSample {
    int pass;
    double worst_error;
    double mean_squared_error;
};

// Samples in pass order. When the store is full every other sample goes and new samples
// come at twice the distance in passes, so a long run keeps its whole shape in bounded memory.
class LearningCurve {
public:
    static constexpr int capacity = 1024;

    LearningCurve() { samples.reserve(capacity); }

    // Records the errors after `pass` passes; a pass closer than the spacing to the last
    // sample replaces nothing and is dropped, except that a pass behind the last one starts
    // the curve again (the weights were reset).
    void add(int pass, double worst_error, double mean_squared_error);
    void clear();

    const std::vector<CurveSample>& points() const { return samples; }
    int spacing() const { return pass_spacing; }

private:
    std::vector<CurveSample> samples;
    int pass_spacing = 1;
};

// Where values go on the curve's box: decades from 10^low_exponent at the bottom to
// 10^high_exponent at the top, passes from 0 at the left to `last_pass` at the right.
struct CurveScale {
    int low_exponent;
    int high_exponent;
    int last_pass;
};

// Fits every sample's errors and the error limit, in whole decades with the top at 1 or
// above: at least one decade, at most `max_decades` (errors below the bottom are drawn on it).
CurveScale fit_scale(const std::vector<CurveSample>& samples, double error_limit);
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
    int limit;
    int frame;
    int text;
};

// Draws the curve into the box at (x, y) of `width` x `height` pixels: a frame, the decades
// labelled on the left, the error limit as a line, and both error curves.
void draw_curve(BITMAP* target, int x, int y, int width, int height, const LearningCurve& curve,
                double error_limit, const CurveColors& colors);

#endif
