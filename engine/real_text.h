// Reals as text and back, the same digits in both toolchains: the WebAssembly build's library
// has no floating-point to_chars or from_chars, so this module alone chooses what stands in.
// Every text has a full stop whatever the locale.
#ifndef ENGINE_REAL_TEXT_H
#define ENGINE_REAL_TEXT_H

#include <charconv>
#include <string>

// "0.05", "20000", "1e-05": to_chars's shortest form, the same in the WebAssembly build.
std::string shortest_real_text(double value);

// How many significant digits the shortest text that reads back as a finite `value` has, and
// the power of ten of the first of them (0.0012 has 2 and -3).
struct RealDigits {
    int digits;
    int exponent;
};
RealDigits shortest_digits(double value);

// The same text made with printf, for libraries without a floating-point to_chars; printf
// writes the C locale's full stop, which a WebAssembly program never leaves.
std::string shortest_real_text_by_printf(double value);

// The forms of printf's %f, %e and %g, which to_chars writes alike.
enum class RealForm { Fixed, Scientific, General };

// Room for any double in any form with at most 17 digits after the point: up to 309 integer
// digits in fixed-point.
constexpr int real_chars_room = 400;

// Writes `value` in `form` with `precision` digits (after the point; significant ones for
// General) from `first` on, where real_chars_room chars are free; returns the text's end.
char* write_real_chars(char* first, double value, RealForm form, int precision);
// The same text as a string.
std::string real_text(double value, RealForm form, int precision);

// Reads a decimal real of digits, point and exponent, after a minus sign at most, from
// [first, last), as from_chars in its general format reads it: the result's ptr ends the
// number, its ec tells a text that is none (invalid_argument) or out of range
// (result_out_of_range, `value` untouched).
std::from_chars_result read_real_chars(const char* first, const char* last, double& value);

// The same writing and reading through printf and strtod, which the WebAssembly build takes.
char* write_real_chars_by_printf(char* first, double value, RealForm form, int precision);
std::from_chars_result read_real_chars_by_strtod(const char* first, const char* last, double& value);

#endif
