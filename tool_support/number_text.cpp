// Locale-free number texts through std::to_chars, which never consults the locale.
#include "tool_support/number_text.h"

#include <charconv>
#include <cmath>
#include <cstdio>

// The WebAssembly build's libc++ has no floating-point to_chars; the page needs only counted()
// and fixed_text(), which is written there with printf as the engine's writer writes reals.
#if !defined(__EMSCRIPTEN__)

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

#endif

std::string fixed_text(double value, int digits)
{
    if (std::isnan(value))
        return "nan";
    char text[400];
#if defined(__EMSCRIPTEN__)
    // As the engine's writer does there: printf converts exactly too, in the C locale that a
    // WebAssembly program never leaves.
    const int length = std::snprintf(text, sizeof text, "%.*f", digits, value);
    return std::string(text, static_cast<std::size_t>(length));
#else
    const std::to_chars_result end = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, digits);
    return std::string(text, end.ptr);
#endif
}

std::string counted(std::size_t count, const std::string& singular)
{
    return std::to_string(count) + " " + singular + (count == 1 ? "" : "s");
}
