// The one option scanner of the command-line tools: each tool gives a table of its options,
// the scanner reads argv by the same rules for all of them and hands back what it found.
// "--name value", "--name=value", "-x value" and "-xvalue" are alike; "--" ends the options;
// numbers are whole decimal numbers in a range, read the same whatever the locale.
#ifndef TOOL_SUPPORT_OPTION_SCANNER_H
#define TOOL_SUPPORT_OPTION_SCANNER_H

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

enum class OptionValue {
    none,    // a switch: "--quiet"
    file,    // a file name
    word,    // a text the tool checks itself; `wanted` says what it must be
    number,  // a whole number from `low` to `high`
};

struct OptionRule {
    int id;                  // the tool's own name for the option
    const char* long_name;   // "--output"
    const char* short_name;  // "-o", or "" when there is none
    OptionValue value = OptionValue::none;
    const char* wanted = "";  // a word option: what it needs ("follow, flee or circle")
    long long low = 0;        // a number option: its range
    long long high = 0;
};

// "--seed N" as every tool takes it: the whole range of an unsigned 32-bit seed.
inline OptionRule seed_option(int id)
{
    return {id, "--seed", "", OptionValue::number, "", 0, 4294967295LL};
}

struct ScannedOption {
    int id;
    std::string text;     // the value as given; empty for a switch
    long long number = 0; // a number option's value
};

struct ScannedCommandLine {
    std::vector<ScannedOption> options;  // in the order given
    std::vector<std::string> operands;   // everything that is no option, in order
    std::string error;                   // what is wrong; empty when the options are sound
};

// Scans `arguments` from `first` on against the options of `rules`. The first wrong option
// stops the scan with `error` naming it as typed; an unknown option's message ends with
// `unknown_context` (" for 'trace'"). A lone "-" is an operand.
ScannedCommandLine scan_options(const std::vector<std::string>& arguments, std::size_t first,
                                const std::vector<OptionRule>& rules, const std::string& unknown_context = "");

// A whole decimal number from `low` to `high`, nothing around it: no sign but a leading
// minus, no spaces, no digit group marks. Never consults the locale.
bool read_whole_number(const std::string& text, long long low, long long high, long long& value);
// A real as the network files write them, from `low` to `high`, nothing around it: no spaces.
// Never consults the locale.
bool read_real_number(std::string_view text, double low, double high, double& value);

#endif
