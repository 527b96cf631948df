// Locale-free number texts through std::to_chars, which never consults the locale.
#include "tool_support/number_text.h"

#include <charconv>
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
    char text[64];
    const std::to_chars_result end = std::to_chars(text, text + sizeof text, value);
    return std::string(text, end.ptr);
}

std::string short_text(double value)
{
    if (std::string nan; is_nan_text(value, nan))
        return nan;
    char text[64];
    const std::to_chars_result end = std::to_chars(text, text + sizeof text, value, std::chars_format::general, 6);
    return std::string(text, end.ptr);
}

std::string fixed_text(double value, int digits)
{
    if (std::string nan; is_nan_text(value, nan))
        return nan;
    char text[400];
    const std::to_chars_result end = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, digits);
    return std::string(text, end.ptr);
}

std::string counted(std::size_t count, const std::string& singular)
{
    return std::to_string(count) + " " + singular + (count == 1 ? "" : "s");
}
