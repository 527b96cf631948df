// Parsing of net_train's arguments, with short and long options, "--opt=value" included.
#include "net_train/command_line.h"

const char* const usage_text =
    "Usage: net_train [-q] [-t TRAINING_FILE] [-o OUTPUT_FILE] [--write-nearest] [--seed N]\n"
    "                 [--curve CURVE_FILE] NETWORK_FILE\n";

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
    "                       when the iteration limit is reached. FILE is checked before\n"
    "                       training, and replaced only once the whole network is written\n"
    "      --write-nearest  when the file format cannot hold the trained network (its neurons\n"
    "                       differ in threshold or slope, or one has surplus connections),\n"
    "                       write the nearest network it can hold and report its worst error\n"
    "                       (needs -o)\n"
    "      --seed N         draw the weights the file leaves out from a generator seeded\n"
    "                       with N (0 to 4294967295), so that runs can be repeated; without\n"
    "                       it the seed is the current time\n"
    "      --curve FILE     write the learning curve to FILE as CSV: \"pass,worst_error,\n"
    "                       mean_squared_error\", one row per check pass from pass 0; long\n"
    "                       runs keep every k-th pass, told in a \"#\" line\n"
    "  -q, --quiet          print no report and no progress; the exit status tells the result\n"
    "  -h, --help           show this help and exit\n"
    "      --version        show the version and exit\n"
    "\n"
    "The report on standard output gives the result, the training passes made, and the worst\n"
    "absolute difference between an expected and a computed output over all patterns and\n"
    "outputs after training. Problems found in the files go to standard error as\n"
    "\"net_train: FILE:LINE: message\", and so do warnings about values that are read, but\n"
    "probably not as meant (a decimal comma, a hexadecimal number, a negative weight limit,\n"
    "a learning rate of 0 or below, no passes allowed, a negative error limit, a slope of 0,\n"
    "the key \"threshold:\" for \"treshold:\"). When training takes longer than a second and\n"
    "standard error is a terminal, a progress line shows the passes made and the worst error.\n"
    "\n"
    "Exit status:\n"
    "  0   converged: every output of every pattern lies within the error limit\n"
    "  1   the iteration limit was reached before that, or the nearest network written\n"
    "      (--write-nearest) misses the error limit\n"
    "  2   nothing could be trained: the network file cannot be opened, describes no network\n"
    "      or is refused, the training records are missing or unusable, or training gave\n"
    "      outputs that are not numbers\n"
    "  64  the command line is wrong\n"
    "  65  the file format cannot hold the trained network; OUTPUT_FILE was left as it was\n"
    "      (see --write-nearest)\n"
    "  73  an output file cannot be written (checked before training); it was left as it was\n";

namespace {

// The value of an option that takes one: "--name=value", "-xvalue", or the next argument.
// `value` changes only when a non-empty one is given.
bool take_value(const std::vector<std::string>& arguments, std::size_t& index, std::size_t name_length,
                std::string& value, std::string& error, const char* what = "a file name")
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
        error = "option '" + argument.substr(0, name_length) + "' needs " + what;
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
    if (short_name.empty())
        return 0;  // a long option only
    return argument.compare(0, short_name.size(), short_name) == 0 ? short_name.size() : 0;
}

// A seed in decimal, 0 to the largest unsigned 32-bit value, nothing around it.
bool parse_seed(const std::string& text, unsigned& seed)
{
    constexpr unsigned long long largest = 4294967295ULL;
    if (text.empty() || text.size() > 10)
        return false;
    unsigned long long value = 0;
    for (const char digit : text) {
        if (digit < '0' || digit > '9')
            return false;
        value = value * 10 + static_cast<unsigned>(digit - '0');
    }
    if (value > largest)
        return false;
    seed = static_cast<unsigned>(value);
    return true;
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
        } else if (argument == "--write-nearest") {
            options.write_nearest = true;
        } else if (const std::size_t curve_name = option_name_length(argument, "", "--curve")) {
            if (!take_value(arguments, index, curve_name, options.curve_file, parsed.error))
                return parsed;
        } else if (const std::size_t seed_name = option_name_length(argument, "", "--seed")) {
            const char* const seed_wanted = "a whole number from 0 to 4294967295";
            std::string seed_text;
            if (!take_value(arguments, index, seed_name, seed_text, parsed.error, seed_wanted))
                return parsed;
            if (!parse_seed(seed_text, options.seed)) {
                parsed.error = "option '--seed' needs " + std::string(seed_wanted) + ", not '" + seed_text + "'";
                return parsed;
            }
            options.has_seed = true;
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
