// Locale-free number texts through the engine's real texts, which read no locale and write the
// same digits in both toolchains.
#include "tool_support/number_text.h"

#include "engine/real_text.h"

#include <cmath>

namespace {

// to_chars writes a NaN with its sign bit as "-nan"; the sign of a NaN means nothing, and
// other CSV writers and readers know it as "nan".
bool is_nan_text(double value, std::string& text)
{
    if (!std::isnan(value))
        return false;
    text = "nan";
    return true;
}

}  // namespace

std::string shortest_text(double value)
{
    if (std::string nan; is_nan_text(value, nan))
        return nan;
    return shortest_real_text(value);
}

std::string short_text(double value)
{
    if (std::string nan; is_nan_text(value, nan))
        return nan;
    return real_text(value, RealForm::General, 6);
}

std::string fixed_text(double value, int digits)
{
    if (std::string nan; is_nan_text(value, nan))
        return nan;
    return real_text(value, RealForm::Fixed, digits);
}

std::string counted(std::size_t count, const std::string& singular)
{
    return std::to_string(count) + " " + singular + (count == 1 ? "" : "s");
}
