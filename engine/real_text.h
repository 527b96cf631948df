// Reals in the engine's messages: the shortest text that reads back as the same double, with
// a full stop whatever the locale.
#ifndef ENGINE_REAL_TEXT_H
#define ENGINE_REAL_TEXT_H

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

#endif
