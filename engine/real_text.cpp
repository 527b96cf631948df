// Reals as text and back through to_chars and from_chars where the library has them, and through
// printf and strtod, in the same forms, in the WebAssembly build, whose library has not. printf
// and strtod convert exactly too, and a WebAssembly program never leaves the C locale, so both
// give the same digits and the same bits.
#include "engine/real_text.h"

#include <cerrno>
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

// Each form as to_chars and as printf spell it, in RealForm's order.
struct FormSpelling {
    std::chars_format chars_format;
    const char* printf_format;
};
constexpr FormSpelling form_spellings[] = {{std::chars_format::fixed, "%.*f"},
                                           {std::chars_format::scientific, "%.*e"},
                                           {std::chars_format::general, "%.*g"}};

const FormSpelling& spelling_of(RealForm form)
{
    return form_spellings[static_cast<int>(form)];
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
    // to_chars ends its text with no NUL: the exponent is read up to the text's end only.
    if (cursor != end.ptr) {
        const char* exponent = cursor + 1;
        if (exponent != end.ptr && *exponent == '+')
            ++exponent;
        std::from_chars(exponent, end.ptr, result.exponent);
    }
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
    char fixed[real_chars_room];
    std::snprintf(fixed, sizeof fixed, "%.*f", decimals > 0 ? decimals : 0, value);
    return std::strlen(fixed) <= std::strlen(scientific) ? fixed : scientific;
}

std::string shortest_real_text(double value)
{
#if defined(__EMSCRIPTEN__)
    return shortest_real_text_by_printf(value);
#else
    char text[64];
    const std::to_chars_result end = std::to_chars(text, text + sizeof text, value);
    return std::string(text, end.ptr);
#endif
}

char* write_real_chars_by_printf(char* first, double value, RealForm form, int precision)
{
    const int length = std::snprintf(first, real_chars_room, spelling_of(form).printf_format, precision, value);
    return first + length;
}

char* write_real_chars(char* first, double value, RealForm form, int precision)
{
#if defined(__EMSCRIPTEN__)
    return write_real_chars_by_printf(first, value, form, precision);
#else
    return std::to_chars(first, first + real_chars_room, value, spelling_of(form).chars_format, precision).ptr;
#endif
}

std::string real_text(double value, RealForm form, int precision)
{
    char text[real_chars_room];
    return std::string(text, write_real_chars(text, value, form, precision));
}

std::from_chars_result read_real_chars_by_strtod(const char* first, const char* last, double& value)
{
    const std::string text(first, last);
    char* stop = nullptr;
    errno = 0;
    const double parsed = std::strtod(text.c_str(), &stop);
    std::from_chars_result result{first + (stop - text.c_str()), std::errc()};
    if (stop == text.c_str())
        result.ec = std::errc::invalid_argument;
    else if (errno == ERANGE)
        result.ec = std::errc::result_out_of_range;
    else
        value = parsed;
    return result;
}

std::from_chars_result read_real_chars(const char* first, const char* last, double& value)
{
#if defined(__EMSCRIPTEN__)
    return read_real_chars_by_strtod(first, last, value);
#else
    return std::from_chars(first, last, value, std::chars_format::general);
#endif
}
