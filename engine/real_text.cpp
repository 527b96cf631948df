// The shortest round-trip text of a double, through to_chars where the library has it, and
// through printf in the same form where it has not.
#include "engine/real_text.h"

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// The fewest significant digits that read back, found by printf and strtod.
RealDigits digits_by_printf(double value)
{
    char scientific[64];
    int digits = 1;
    for (; digits < 17; ++digits) {
        std::snprintf(scientific, sizeof scientific, "%.*e", digits - 1, value);
        if (std::strtod(scientific, nullptr) == value)
            break;
    }
    std::snprintf(scientific, sizeof scientific, "%.*e", digits - 1, value);
    const char* exponent = std::strchr(scientific, 'e');
    return {digits, exponent != nullptr ? std::atoi(exponent + 1) : 0};
}

}  // namespace

RealDigits shortest_digits(double value)
{
#if defined(__EMSCRIPTEN__)
    return digits_by_printf(value);
#else
    char text[64];
    const std::to_chars_result end = std::to_chars(text, text + sizeof text, value, std::chars_format::scientific);
    RealDigits result{0, 0};
    const char* cursor = text;
    for (; cursor != end.ptr && *cursor != 'e'; ++cursor)
        result.digits += *cursor >= '0' && *cursor <= '9';
    if (cursor != end.ptr)
        result.exponent = std::atoi(cursor + 1);
    return result;
#endif
}

std::string shortest_real_text_by_printf(double value)
{
    // Whichever of the fixed and the scientific form is shorter, the fixed one on a tie, as
    // to_chars chooses.
    const RealDigits shortest = digits_by_printf(value);
    char scientific[64];
    std::snprintf(scientific, sizeof scientific, "%.*e", shortest.digits - 1, value);
    const int decimals = shortest.digits - 1 - shortest.exponent;
    char fixed[400];
    std::snprintf(fixed, sizeof fixed, "%.*f", decimals > 0 ? decimals : 0, value);
    return std::strlen(fixed) <= std::strlen(scientific) ? fixed : scientific;
}

std::string shortest_real_text(double value)
{
#if defined(__EMSCRIPTEN__)
    // The WebAssembly build's libc++ has no floating-point to_chars.
    return shortest_real_text_by_printf(value);
#else
    char text[64];
    const std::to_chars_result end = std::to_chars(text, text + sizeof text, value);
    return std::string(text, end.ptr);
#endif
}
