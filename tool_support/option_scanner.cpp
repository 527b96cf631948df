// Scanning argv against a tool's table of options.
#include "tool_support/option_scanner.h"

#include "engine/line_reader.h"

#include <charconv>

namespace {

// What an option's value must be, as usage errors say it.
std::string wanted_text(const OptionRule& rule)
{
    switch (rule.value) {
    case OptionValue::file: return "a file name";
    case OptionValue::word: return rule.wanted;
    case OptionValue::number:
        return "a whole number from " + std::to_string(rule.low) + " to " + std::to_string(rule.high);
    case OptionValue::none: break;
    }
    return "";
}

// The option that `argument` names, with the length of the name as typed; a value joined to
// it follows that name ("--seed=5" after "=", "-ofile" at once).
const OptionRule* find_option(const std::string& argument, const std::vector<OptionRule>& rules,
                              std::size_t& name_length)
{
    for (const OptionRule& rule : rules) {
        const std::string long_name = rule.long_name;
        if (argument == long_name || argument.compare(0, long_name.size() + 1, long_name + "=") == 0) {
            name_length = long_name.size();
            return &rule;
        }
    }
    for (const OptionRule& rule : rules) {
        const std::string short_name = rule.short_name;
        if (short_name.empty() || argument.compare(0, short_name.size(), short_name) != 0)
            continue;
        // A switch stands alone: "-qx" is no "-q".
        if (rule.value == OptionValue::none && argument.size() != short_name.size())
            continue;
        name_length = short_name.size();
        return &rule;
    }
    return nullptr;
}

}  // namespace

bool read_whole_number(const std::string& text, long long low, long long high, long long& value)
{
    const char* const end = text.data() + text.size();
    long long read = 0;
    const std::from_chars_result result = std::from_chars(text.data(), end, read);
    if (text.empty() || result.ec != std::errc() || result.ptr != end || read < low || read > high)
        return false;
    value = read;
    return true;
}

bool read_real_number(std::string_view text, double low, double high, double& value)
{
    LineReader reader(text);
    double read = 0.0;
    if (text.empty() || text.find_first_of(" \t") != std::string_view::npos ||
        !(reader.read_real(read) && reader.at_end() && read >= low && read <= high))
        return false;
    value = read;
    return true;
}

ScannedCommandLine scan_options(const std::vector<std::string>& arguments, std::size_t first,
                                const std::vector<OptionRule>& rules, const std::string& unknown_context)
{
    ScannedCommandLine scanned;
    bool options_ended = false;
    for (std::size_t index = first; index < arguments.size(); ++index) {
        const std::string& argument = arguments[index];
        if (options_ended || argument.size() < 2 || argument[0] != '-') {
            scanned.operands.push_back(argument);
            continue;
        }
        if (argument == "--") {
            options_ended = true;
            continue;
        }
        std::size_t name_length = 0;
        const OptionRule* rule = find_option(argument, rules, name_length);
        if (rule == nullptr) {
            scanned.error = "unknown option '" + argument + "'" + unknown_context;
            return scanned;
        }
        const std::string name = argument.substr(0, name_length);
        const bool joined = argument.size() > name_length;
        ScannedOption option{rule->id, "", 0};
        if (rule->value == OptionValue::none) {
            if (joined) {
                scanned.error = "option '" + name + "' takes no value";
                return scanned;
            }
            scanned.options.push_back(option);
            continue;
        }
        const bool long_form = argument.compare(0, 2, "--") == 0;
        if (joined) {
            option.text = argument.substr(long_form ? name_length + 1 : name_length);
        } else if (index + 1 < arguments.size()) {
            option.text = arguments[++index];
        } else {
            scanned.error = "option '" + name + "' needs " + wanted_text(*rule);
            return scanned;
        }
        if (option.text.empty()) {
            scanned.error = "option '" + name + "' is empty; it needs " + wanted_text(*rule);
            return scanned;
        }
        if (rule->value == OptionValue::number && !read_whole_number(option.text, rule->low, rule->high, option.number)) {
            scanned.error = "option '" + name + "' needs " + wanted_text(*rule) + ", not '" + option.text + "'";
            return scanned;
        }
        scanned.options.push_back(option);
    }
    return scanned;
}
