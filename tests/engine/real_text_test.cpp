// The printf path of the shortest real text, which the WebAssembly build takes, held to
// to_chars's choice of digits and of form.
#include "engine/real_text.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <string>

namespace {

std::string by_to_chars(double value)
{
    char text[64];
    const std::to_chars_result end = std::to_chars(text, text + sizeof text, value);
    return std::string(text, end.ptr);
}

TEST(RealText, PrintfPathWritesWhatToCharsWrites)
{
    // Round numbers where %g turns to exponents, ties between the forms, tiny and huge values.
    const double table[] = {0.0,     -0.0,    0.05,   0.1,     1.0 / 3.0, 10.0,   100.0,  20000.0,  123456.0,
                            1e-05,   1.5e-05, 0.0001, 1e15,    1e16,      1e17,   1e22,   1e23,     -2.5,
                            4294967295.0, 0.30000000000000004, 5e-324, 1.7976931348623157e308,
                            0.00012345678901234, 1e21,    123456789012345680000.0};
    for (const double value : table)
        EXPECT_EQ(shortest_real_text_by_printf(value), by_to_chars(value)) << by_to_chars(value);
    // Weights and pattern values of every size a file holds.
    for (int exponent = -12; exponent <= 12; ++exponent)
        for (int step = 1; step < 200; ++step) {
            const double value = std::ldexp(step * 0.7318, exponent) * (step % 2 == 0 ? 1 : -1);
            EXPECT_EQ(shortest_real_text_by_printf(value), by_to_chars(value)) << by_to_chars(value);
        }
}

}  // namespace
