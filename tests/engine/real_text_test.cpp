// The printf and strtod paths of the real texts, which the WebAssembly build takes, held to
// to_chars's choice of digits and of form and to from_chars's reading.
#include "engine/real_text.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <string>
#include <string_view>

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

TEST(RealText, PrintfPathWritesEachFormAsToCharsDoes)
{
    struct Case {
        RealForm form;
        std::chars_format format;
        int precision;
    };
    const Case cases[] = {{RealForm::Fixed, std::chars_format::fixed, 17},
                          {RealForm::Fixed, std::chars_format::fixed, 3},
                          {RealForm::Fixed, std::chars_format::fixed, 0},
                          {RealForm::Scientific, std::chars_format::scientific, 16},
                          {RealForm::General, std::chars_format::general, 6},
                          {RealForm::General, std::chars_format::general, 3}};
    const double values[] = {0.0, -0.0, 0.5, -2.5, 1.0 / 3.0, 123456.789, 1e-7, 0.00012345, 1e21,
                             1.7976931348623157e308, 5e-324, -1234567.0, 0.125};
    for (const Case& c : cases)
        for (const double value : values) {
            char expected[real_chars_room];
            char written[real_chars_room];
            const char* expected_end =
                std::to_chars(expected, expected + sizeof expected, value, c.format, c.precision).ptr;
            const std::string want(static_cast<const char*>(expected), expected_end);
            const char* written_end = write_real_chars_by_printf(written, value, c.form, c.precision);
            EXPECT_EQ(std::string(static_cast<const char*>(written), written_end), want);
            EXPECT_EQ(real_text(value, c.form, c.precision), want);
        }
}

TEST(RealText, StrtodPathReadsAsFromCharsReads)
{
    // Numbers ending before the text does, texts that are no number, and overflow.
    const std::string_view texts[] = {"0.1", "-2.5e3", "12abc", "1.", ".5", "1e", "1e+", "-", "", ".", "e5",
                                      "0.30000000000000004", "4294967295", "1e400", "-1e400"};
    for (const std::string_view text : texts) {
        double expected = 7.0;
        double read = 7.0;
        const std::from_chars_result want =
            std::from_chars(text.data(), text.data() + text.size(), expected, std::chars_format::general);
        const std::from_chars_result got = read_real_chars_by_strtod(text.data(), text.data() + text.size(), read);
        EXPECT_EQ(got.ec, want.ec) << text;
        EXPECT_EQ(got.ptr - text.data(), want.ptr - text.data()) << text;
        EXPECT_EQ(read, expected) << text;
        double by_module = 7.0;
        EXPECT_EQ(read_real_chars(text.data(), text.data() + text.size(), by_module).ptr, want.ptr) << text;
        EXPECT_EQ(by_module, expected) << text;
    }
}

// Leaves digits in the stack below the caller's frame, where a callee's buffers then lie.
[[gnu::noinline]] void leave_digits_on_the_stack()
{
    volatile char digits[4096];
    for (char& digit : const_cast<char(&)[4096]>(digits))
        digit = '7';
}

TEST(RealText, ShortestDigitsReadTheExponentOfTheTextOnly)
{
    // 0.0042404187772814 has 14 significant digits from 10^-3 on; digits left behind the text
    // must not lengthen its exponent.
    const struct {
        double value;
        RealDigits digits;
    } table[] = {{0.0042404187772814, {14, -3}}, {1.5e-05, {2, -5}}, {123.0, {3, 2}}, {5e-324, {1, -324}}};
    for (const auto& entry : table) {
        leave_digits_on_the_stack();
        const RealDigits found = shortest_digits(entry.value);
        EXPECT_EQ(found.digits, entry.digits.digits) << entry.value;
        EXPECT_EQ(found.exponent, entry.digits.exponent) << entry.value;
    }
}

}  // namespace
