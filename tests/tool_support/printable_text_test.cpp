// Text shown on a terminal: controls and stray bytes escaped, printable UTF-8 kept.
#include "tool_support/printable_text.h"

#include "tool_support/file_problems.h"

#include <gtest/gtest.h>

TEST(PrintableText, ControlsAndStrayBytesAreEscapedAndPrintableTextKept)
{
    const struct {
        std::string text;
        std::string shown;
    } cases[] = {
        {"weights: 1 \x1b]0;owned\a \x1b[2J", "weights: 1 \\x1b]0;owned\\a \\x1b[2J"},
        {"tab\there\r\n\b\v\f", "tab\\there\\r\\n\\b\\v\\f"},
        {std::string("nul\0del\x7f", 8), "nul\\x00del\\x7f"},
        {"caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x90\x9b \\r", "caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x90\x9b \\r"},
        {"c1 \xc2\x9b" "2J, nbsp \xc2\xa0", "c1 \\u009b2J, nbsp \xc2\xa0"},
        {"latin-1 \xe9t\xe9, lone \x9b, cut \xe2\x82", "latin-1 \\xe9t\\xe9, lone \\x9b, cut \\xe2\\x82"},
        {"overlong \xc0\xaf, surrogate \xed\xa0\x80", "overlong \\xc0\\xaf, surrogate \\xed\\xa0\\x80"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(printable(c.text), c.shown) << c.shown;
}

TEST(PrintableText, ProblemsShowTheirFileAndMessageEscaped)
{
    EXPECT_EQ(problem_text({"bell\a.txt", 3, "token \"\x1b[2J\" is not a number"}, "creature_lab"),
              "creature_lab: bell\\a.txt:3: token \"\\x1b[2J\" is not a number");
}
