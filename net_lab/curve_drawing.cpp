// The learning curve's drawing.
#include "net_lab/curve_drawing.h"

#include <allegro.h>

#include <algorithm>
#include <cstdio>

void draw_curve(BITMAP* target, int x, int y, int width, int height, const LearningCurve& curve,
                double error_limit, bool held_out, const CurveColors& colors)
{
    const std::vector<CurvePoint>& samples = curve.points();
    const CurveScale scale = fit_scale(samples, error_limit);
    rect(target, x, y, x + width - 1, y + height - 1, colors.frame);

    char text[32];
    for (int exponent = scale.low_exponent; exponent <= scale.high_exponent; ++exponent) {
        const int row = y + decade_row(scale, exponent, height);
        hline(target, x - 3, row, x, colors.frame);
        std::snprintf(text, sizeof text, "1e%d", exponent);
        textout_right_ex(target, font, text, x - 5, std::clamp(row - 4, y, y + height - 8), colors.text, -1);
    }
    if (is_shown(error_limit))
        hline(target, x + 1, y + value_row(scale, error_limit, height), x + width - 2, colors.limit);

    for (std::size_t i = 1; i < samples.size(); ++i) {
        const CurvePoint& from = samples[i - 1];
        const CurvePoint& to = samples[i];
        const int x0 = x + pass_column(scale, from.pass, width);
        const int x1 = x + pass_column(scale, to.pass, width);
        if (held_out) {
            line(target, x0, y + value_row(scale, from.held_out_mean_squared, height), x1,
                 y + value_row(scale, to.held_out_mean_squared, height), colors.held_out_mean_squared);
            line(target, x0, y + value_row(scale, from.held_out_worst, height), x1,
                 y + value_row(scale, to.held_out_worst, height), colors.held_out_worst);
        }
        line(target, x0, y + value_row(scale, from.mean_squared, height), x1,
             y + value_row(scale, to.mean_squared, height), colors.mean_squared);
        line(target, x0, y + value_row(scale, from.worst, height), x1,
             y + value_row(scale, to.worst, height), colors.worst);
    }
    std::snprintf(text, sizeof text, "%d", scale.last_pass);
    textout_right_ex(target, font, text, x + width - 1, y + height + 3, colors.text, -1);
    textout_ex(target, font, "0", x, y + height + 3, colors.text, -1);
}
