// The shortest round-trip text of a double, through to_chars where the library has it.
#include "engine/real_text.h"

#include <charconv>
#include <cstdio>
#include <cstdlib>

std::string shortest_real_text(double value)
{
    char text[64];
#if defined(__EMSCRIPTEN__)
    // The WebAssembly build's libc++ has no floating-point to_chars: the fewest significant
    // digits that read back, in printf's %g form ("2e+04" where to_chars writes "20000").
    for (int digits = 1; digits <= 17; ++digits) {
        std::snprintf(text, sizeof text, "%.*g", digits, value);
        if (std::strtod(text, nullptr) == value)
            break;
    }
    return text;
#else
    const std::to_chars_result end = std::to_chars(text, text + sizeof text, value);
    return std::string(text, end.ptr);
#endif
}
