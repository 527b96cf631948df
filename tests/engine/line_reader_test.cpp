// Numbers in a network file follow classic-locale stream extraction; these tests hold the
// fast reader to the stream's verdict, position by position, under any locale.
#include "engine/line_reader.h"

#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <locale>
#include <sstream>
#include <string>
#include <vector>

namespace {

// Reads one number from `text` both by classic-locale stream extraction and with `read`, and
// expects the same verdict and, when both read a number, the same value to the last bit.
template <typename Number>
void expect_stream_verdict(const std::string& text, bool (LineReader::*read)(Number&))
{
    std::istringstream stream(text);
    stream.imbue(std::locale::classic());
    Number expected{};
    const bool expected_ok = static_cast<bool>(stream >> expected);
    LineReader reader(text);
    Number actual{};
    const bool actual_ok = (reader.*read)(actual);
    EXPECT_EQ(actual_ok, expected_ok) << "text: \"" << text << "\"";
    if (actual_ok && expected_ok) {
        EXPECT_EQ(std::memcmp(&actual, &expected, sizeof actual), 0)
            << "text: \"" << text << "\" reader " << actual << " stream " << expected;
    }
}

const std::vector<std::string> tricky_reals = {
    "0", "2", "-0.25", "1.5e-3", "+5", "+.5", "-.5", ".5", "5.", "0.5x", "1e", "1e+", "1e-",
    "1E5", "1e5x", "1.5e", ".", "-", "+", "+-5", "--1", "e5", ".e5", "1..2", "1.2.3", "1e5e3",
    "inf", "nan", "infinity", "-inf", "0x10", "1e400", "-1e400", "1e-400", "4.9e-324", "2.5e-320",
    "1.7976931348623157e308", "1.7976931348623159e308", "000123", "00.5", "-0", "1e0005",
    "123456789012345678901234567890", "0.1000000000000000055511151231257827", "7,5", "1,5e3",
    "\xc2\xa0" "5", "", "  42", "\t-3.5e2rest", "1e-5-2", "9999999999e-9999999999"};

}  // namespace

TEST(LineReader, RealsMatchClassicStreamExtraction)
{
    for (const std::string& text : tricky_reals)
        expect_stream_verdict(text, &LineReader::read_real);
}

TEST(LineReader, IntsMatchClassicStreamExtraction)
{
    for (const char* text : {"3", "-3", "+3", "2.5", "0x10", "-", "+", "abc", "2147483647", "2147483648",
                             "-2147483648", "-2147483649", "99999999999", "007", "3abc", "", " 12"})
        expect_stream_verdict(text, &LineReader::read_int);
}

TEST(LineReader, NextReadStartsRightAfterTheNumber)
{
    LineReader reader("0.5-0.25 1e-2x 3");
    double value = 0.0;
    ASSERT_TRUE(reader.read_real(value));
    EXPECT_EQ(value, 0.5);
    ASSERT_TRUE(reader.read_real(value));
    EXPECT_EQ(value, -0.25);
    ASSERT_TRUE(reader.read_real(value));
    EXPECT_EQ(value, 0.01);
    EXPECT_FALSE(reader.read_real(value));  // stops at the x
    EXPECT_FALSE(reader.read_real(value));  // and, like a failed stream, reads nothing more
}

TEST(LineReader, IntStopsBeforeTheDecimalPoint)
{
    LineReader reader("2.5");
    int count = 0;
    ASSERT_TRUE(reader.read_int(count));
    EXPECT_EQ(count, 2);
}

TEST(LineReader, TokensSplitAtEveryKindOfWhiteSpace)
{
    LineReader reader("  key:\tvalue\r\vmore\fend\r");
    EXPECT_EQ(reader.next_token(), "key:");
    EXPECT_EQ(reader.next_token(), "value");
    EXPECT_EQ(reader.next_token(), "more");
    EXPECT_EQ(reader.next_token(), "end");
    EXPECT_EQ(reader.next_token(), "");
}

TEST(LineReader, TokenWithEmbeddedNulIsOneToken)
{
    const std::string line("a\0b c", 5);
    LineReader reader(line);
    EXPECT_EQ(reader.next_token(), std::string_view("a\0b", 3));
    EXPECT_EQ(reader.next_token(), "c");
}

TEST(LineReader, DecimalCommaLocaleChangesNothing)
{
    DecimalCommaLocale locale;
    if (!locale.active())
        GTEST_SKIP() << "no decimal-comma locale on this machine";
    LineReader reader("0.5 7,5");
    double value = 0.0;
    ASSERT_TRUE(reader.read_real(value));
    EXPECT_EQ(value, 0.5);
    ASSERT_TRUE(reader.read_real(value));
    EXPECT_EQ(value, 7.0);  // the comma is not a decimal point in a network file
}
