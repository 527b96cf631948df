// Parsing of net_train's arguments, with short and long options, "--opt=value" included.
#include "tools/command_line.h"

const char* const usage_text = "Usage: net_train [-q] [-t TRAINING_FILE] [-o OUTPUT_FILE] NETWORK_FILE\n";

const char* const help_text =
    "Usage: net_train [OPTION]... NETWORK_FILE\n"
    "Build the network that NETWORK_FILE describes, train it by back-propagation on the\n"
    "\"pattern:\" records of NETWORK_FILE (or of the file given with -t), and report the result.\n"
    "\n"
    "Options:\n"
    "  -t, --training FILE  read the training records (\"pattern:\", \"error_limit:\",\n"
    "                       \"max_iterations:\", \"learning_rate:\", \"max_weight:\") from FILE;\n"
    "                       a FILE named *.csv is a table of patterns, one row each: the\n"
    "                       inputs, then the expected outputs (the parameters then come\n"
    "                       from NETWORK_FILE)\n"
    "  -o, --output FILE    write the trained network to FILE, replacing it; written also\n"
    "                       when the iteration limit is reached\n"
    "  -q, --quiet          print no report and no progress; the exit status tells the result\n"
    "  -h, --help           show this help and exit\n"
    "      --version        show the version and exit\n"
    "\n"
    "The report on standard output gives the result, the training passes made, and the worst\n"
    "absolute difference between an expected and a computed output over all patterns and\n"
    "outputs after training. Problems found in the files go to standard error as\n"
    "\"net_train: FILE:LINE: message\". When training takes longer than a second and standard\n"
    "error is a terminal, a progress line shows the passes made and the worst error so far.\n"
    "\n"
    "Exit status:\n"
    "  0   converged: every output of every pattern lies within the error limit\n"
    "  1   the iteration limit was reached before that\n"
    "  2   nothing could be trained: the network file cannot be opened, describes no network\n"
    "      or is refused, the training records are missing or unusable, or training gave\n"
    "      outputs that are not numbers\n"
    "  64  the command line is wrong\n"
    "  73  the trained network could not be written to the output file\n";

namespace {

// The value of an option that takes one: "--name=value", "-xvalue", or the next argument.
// `value` changes only when a non-empty one is given.
bool take_value(const std::vector<std::string>& arguments, std::size_t& index, std::size_t name_length,
                std::string& value, std::string& error)
{
    const std::string& argument = arguments[index];
    std::string taken;
    if (argument.size() > name_length) {
        const bool long_form = argument.compare(0, 2, "--") == 0;
        taken = argument.substr(long_form ? name_length + 1 : name_length);
    } else if (index + 1 < arguments.size()) {
        taken = arguments[++index];
    }
    if (taken.empty()) {
        error = "option '" + argument.substr(0, name_length) + "' needs a file name";
        return false;
    }
    value = taken;
    return true;
}

// The length of the option name that `argument` starts with: the long name alone or before
// "=", or the short name alone or before a joined value; 0 when it names neither.
std::size_t option_name_length(const std::string& argument, const std::string& short_name,
                               const std::string& long_name)
{
    if (argument == long_name || argument.compare(0, long_name.size() + 1, long_name + "=") == 0)
        return long_name.size();
    return argument.compare(0, short_name.size(), short_name) == 0 ? short_name.size() : 0;
}

}  // namespace

ParsedCommandLine parse_command_line(const std::vector<std::string>& arguments)
{
    ParsedCommandLine parsed;
    NetTrainOptions& options = parsed.options;
    std::vector<std::string> operands;
    bool options_ended = false;
    for (std::size_t index = 0; index < arguments.size(); ++index) {
        const std::string& argument = arguments[index];
        if (options_ended || argument.size() < 2 || argument[0] != '-') {
            operands.push_back(argument);
            continue;
        }
        if (argument == "--") {
            options_ended = true;
        } else if (argument == "-q" || argument == "--quiet") {
            options.quiet = true;
        } else if (argument == "-h" || argument == "--help") {
            options.show_help = true;
        } else if (argument == "--version") {
            options.show_version = true;
        } else if (const std::size_t training_name = option_name_length(argument, "-t", "--training")) {
            if (!take_value(arguments, index, training_name, options.training_file, parsed.error))
                return parsed;
        } else if (const std::size_t output_name = option_name_length(argument, "-o", "--output")) {
            if (!take_value(arguments, index, output_name, options.output_file, parsed.error))
                return parsed;
        } else {
            parsed.error = "unknown option '" + argument + "'";
            return parsed;
        }
    }
    if (options.show_help || options.show_version)
        return parsed;
    if (operands.empty()) {
        parsed.error = "no NETWORK_FILE given";
    } else if (operands.size() > 1) {
        parsed.error = "one NETWORK_FILE only; unexpected '" + operands[1] + "'";
    } else {
        options.network_file = operands[0];
    }
    return parsed;
}
