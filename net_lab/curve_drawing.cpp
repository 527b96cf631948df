// The learning curve's scale and its drawing.
#include "net_lab/curve_drawing.h"

#include <allegro.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

// Smallest error drawn apart from the bottom of the scale.
constexpr double smallest_shown = 1e-12;

bool is_shown(double value)
{
    return std::isfinite(value) && value > smallest_shown;
}

}  // namespace

CurveScale fit_scale(const std::vector<CurvePoint>& samples, double error_limit)
{
    double low = is_shown(error_limit) ? error_limit : 1.0;
    double high = low;
    for (const CurvePoint& sample : samples) {
        // Without held-out patterns their errors are 0, which is never shown.
        for (double value : {sample.worst, sample.mean_squared, sample.held_out_worst, sample.held_out_mean_squared}) {
            if (!is_shown(value))
                continue;
            low = std::min(low, value);
            high = std::max(high, value);
        }
    }
    CurveScale scale;
    // The top stays at 1 or above, where every error of an untrained network lies.
    scale.high_exponent = std::max(0, static_cast<int>(std::ceil(std::log10(high))));
    scale.low_exponent = static_cast<int>(std::floor(std::log10(low)));
    if (scale.low_exponent >= scale.high_exponent)
        scale.low_exponent = scale.high_exponent - 1;
    scale.low_exponent = std::max(scale.low_exponent, scale.high_exponent - max_decades);
    scale.last_pass = samples.empty() ? 1 : std::max(samples.back().pass, 1);
    return scale;
}

int value_row(const CurveScale& scale, double value, int height)
{
    const int bottom = height - 1;
    if (!is_shown(value))
        return bottom;
    const double span = scale.high_exponent - scale.low_exponent;
    const double above_bottom = (std::log10(value) - scale.low_exponent) / span;
    return static_cast<int>(std::lround(bottom - std::clamp(above_bottom, 0.0, 1.0) * bottom));
}

int pass_column(const CurveScale& scale, int pass, int width)
{
    const double share = std::clamp(static_cast<double>(pass) / scale.last_pass, 0.0, 1.0);
    return static_cast<int>(std::lround(share * (width - 1)));
}

void draw_curve(BITMAP* target, int x, int y, int width, int height, const LearningCurve& curve,
                double error_limit, bool held_out, const CurveColors& colors)
{
    const std::vector<CurvePoint>& samples = curve.points();
    const CurveScale scale = fit_scale(samples, error_limit);
    rect(target, x, y, x + width - 1, y + height - 1, colors.frame);

    char text[32];
    for (int exponent = scale.low_exponent; exponent <= scale.high_exponent; ++exponent) {
        const int row = y + value_row(scale, std::pow(10.0, exponent), height);
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
