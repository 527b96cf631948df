// The learning curve drawn: worst error and mean squared error against passes, on the lab's
// logarithmic scale with a line at the error limit.
#ifndef NET_LAB_CURVE_DRAWING_H
#define NET_LAB_CURVE_DRAWING_H

#include "engine/training_run.h"
#include "lab_session/curve_scale.h"

struct BITMAP;

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
