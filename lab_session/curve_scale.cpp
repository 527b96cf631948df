// The learning curve's scale.
#include "lab_session/curve_scale.h"

#include <algorithm>
#include <cmath>

namespace {

// Smallest error drawn apart from the bottom of the scale.
constexpr double smallest_shown = 1e-12;

}  // namespace

bool is_shown(double value)
{
    return std::isfinite(value) && value > smallest_shown;
}

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

int decade_row(const CurveScale& scale, int exponent, int height)
{
    return value_row(scale, std::pow(10.0, exponent), height);
}

int pass_column(const CurveScale& scale, int pass, int width)
{
    const double share = std::clamp(static_cast<double>(pass) / scale.last_pass, 0.0, 1.0);
    return static_cast<int>(std::lround(share * (width - 1)));
}
