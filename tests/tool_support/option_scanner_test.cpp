// The option scanner every tool reads its command line with: the spellings of one option,
// "--", numbers and their ranges, missing and empty values, and what the errors name.
#include "tool_support/option_scanner.h"

#include "tests/support/test_support.h"

#include <gtest/gtest.h>

namespace {

enum Option { quiet, output, seed, behaviour };

const std::vector<OptionRule> rules = {
    {quiet, "--quiet", "-q"},
    {output, "--output", "-o", OptionValue::file},
    seed_option(seed),
    {behaviour, "--behaviour", "", OptionValue::word, "follow, flee or circle"},
};

// What the scanner found, as "name:value ... | operand ...", or its error.
std::string scanned_text(const std::vector<std::string>& arguments)
{
    const ScannedCommandLine scanned = scan_options(arguments, 0, rules, " for 'test'");
    if (!scanned.error.empty())
        return scanned.error;
    const char* const names[] = {"quiet", "output", "seed", "behaviour"};
    std::string text;
    for (const ScannedOption& option : scanned.options) {
        text += names[option.id];
        if (option.id == seed)
            text += ":" + std::to_string(option.number);
        else if (!option.text.empty())
            text += ":" + option.text;
        text += ' ';
    }
    text += "|";
    for (const std::string& operand : scanned.operands)
        text += " " + operand;
    return text;
}

const std::string seed_wanted = "option '--seed' needs a whole number from 0 to 4294967295";

struct ScanCase {
    std::vector<std::string> arguments;
    std::string expected;
};

const ScanCase scan_cases[] = {
    // One option, every spelling, the same result.
    {{"--seed=5", "net.txt"}, "seed:5 | net.txt"},
    {{"--seed", "5", "net.txt"}, "seed:5 | net.txt"},
    {{"net.txt", "--seed", "5"}, "seed:5 | net.txt"},
    {{"-oout.txt"}, "output:out.txt |"},
    {{"-o", "out.txt"}, "output:out.txt |"},
    {{"--output=a=b.txt"}, "output:a=b.txt |"},
    {{"-o", "-q"}, "output:-q |"},  // a value may start with a dash
    {{"-q", "--quiet"}, "quiet quiet |"},
    {{"--behaviour", "flee"}, "behaviour:flee |"},
    // Operands: "--" ends the options, a lone "-" is a file name.
    {{"--", "-q", "--seed=1"}, "| -q --seed=1"},
    {{"-", "-q"}, "quiet | -"},
    {{"a.txt", "--", "--", "b.txt"}, "| a.txt -- b.txt"},
    // Numbers: whole, decimal, in range, nothing around them.
    {{"--seed", "0"}, "seed:0 |"},
    {{"--seed", "4294967295"}, "seed:4294967295 |"},
    {{"--seed", "4294967296"}, seed_wanted + ", not '4294967296'"},
    {{"--seed", "-1"}, seed_wanted + ", not '-1'"},
    {{"--seed", "12x"}, seed_wanted + ", not '12x'"},
    {{"--seed", " 1"}, seed_wanted + ", not ' 1'"},
    {{"--seed", "+1"}, seed_wanted + ", not '+1'"},
    {{"--seed", "1e3"}, seed_wanted + ", not '1e3'"},
    {{"--seed", "1.000"}, seed_wanted + ", not '1.000'"},
    {{"--seed=99999999999999999999"}, seed_wanted + ", not '99999999999999999999'"},
    // Missing and empty values, named as typed.
    {{"net.txt", "--seed"}, seed_wanted},
    {{"a.txt", "-o"}, "option '-o' needs a file name"},
    {{"--behaviour"}, "option '--behaviour' needs follow, flee or circle"},
    {{"--output="}, "option '--output' is empty; it needs a file name"},
    {{"-o", ""}, "option '-o' is empty; it needs a file name"},
    {{"--seed", ""}, "option '--seed' is empty; it needs a whole number from 0 to 4294967295"},
    // Unknown options and switches given a value; the first wrong one stops the scan.
    {{"--frobnicate", "--seed"}, "unknown option '--frobnicate' for 'test'"},
    {{"--seedx=1"}, "unknown option '--seedx=1' for 'test'"},
    {{"-x"}, "unknown option '-x' for 'test'"},
    {{"-qx"}, "unknown option '-qx' for 'test'"},
    {{"--quiet=yes"}, "option '--quiet' takes no value"},
};

TEST(OptionScanner, ReadsEveryToolsOptionsByTheSameRules)
{
    for (const ScanCase& c : scan_cases) {
        std::string shown;
        for (const std::string& argument : c.arguments)
            shown += "[" + argument + "]";
        EXPECT_EQ(scanned_text(c.arguments), c.expected) << shown;
    }
}

// Allegro's set-up adopts the user's locale; a number on the command line must not follow it.
TEST(OptionScanner, NumbersIgnoreTheLocale)
{
    DecimalCommaLocale german;
    if (!german.active())
        GTEST_SKIP() << "no German locale on this machine";
    long long value = 0;
    EXPECT_TRUE(read_whole_number("1234567", 0, 9999999, value));
    EXPECT_EQ(value, 1234567);
    EXPECT_FALSE(read_whole_number("1.234", 0, 9999999, value));
    EXPECT_FALSE(read_whole_number("1,5", 0, 9999999, value));
}

}  // namespace
