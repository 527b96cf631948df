// Parsing creature_lab's arguments: "--name value", "--name=value" and "-o value" alike.
#include "creature_lab/lab_command_line.h"

#include <charconv>
#include <cstdint>

namespace {

constexpr int max_trace_frames = 1000000;

const char* const tool_help =
    "Score, trace and evolve creature_sim's creatures without a display.\n"
    "\n"
    "Commands:\n"
    "  score   run a creature through the standard scenarios and score a behaviour\n"
    "  trace   write a creature's path frame by frame as CSV, and as a picture\n"
    "  evolve  evolve a network for a behaviour\n"
    "\n"
    "Options:\n"
    "  -h, --help     show this help, or with a command that command's help, and exit\n"
    "      --version  show the version and exit\n"
    "\n"
    "Results go to standard output, problems to standard error as \"creature_lab: ...\".\n"
    "\n"
    "Exit status:\n"
    "  0   success\n"
    "  2   a file cannot be used: a network file that cannot be read or is no creature's\n"
    "      (3 inputs, 4 outputs), or an output file that cannot be written\n"
    "  64  the command line is wrong\n"
    "  71  the run needs more memory than the system gives\n";

const char* const score_help =
    "Run the creature of NETWORK_FILE through the standard scenarios: the spotlight drifting\n"
    "as at creature_sim's start (drift), standing still in each quarter of the screen with the\n"
    "creature at its rim (still-top-left, still-top-right, still-bottom-left,\n"
    "still-bottom-right), and jumping near the creature every 180 frames (jumps). For each\n"
    "scenario and in total print the mean distance from the spotlight's centre, the share of\n"
    "frames inside the light, the distance travelled and the behaviour's score (0 to 100,\n"
    "higher is better); the last line is \"score: NUMBER\".\n"
    "\n"
    "Options:\n"
    "      --behaviour B  the behaviour to score: follow (default), flee or circle\n"
    "      --frames N     frames per scenario (default 1000)\n"
    "      --seed N       seed of the spotlight's jumps and of missing weights (default 1)\n"
    "  -h, --help         show this help and exit\n";

const char* const trace_help =
    "Run the creature of NETWORK_FILE through one scenario and write one CSV row per frame:\n"
    "frame, creature x and y, spotlight x, y and radius, the three sensor levels (left, top,\n"
    "right) and the four outputs (left, right, up, down).\n"
    "\n"
    "Options:\n"
    "  -o, --output FILE    the CSV file to write (required)\n"
    "      --image FILE     also draw the arena with the spotlight's path (yellow) and the\n"
    "                       creature's path (red) as a PNG picture\n"
    "      --scenario NAME  drift (default), still-top-left, still-top-right,\n"
    "                       still-bottom-left, still-bottom-right or jumps\n"
    "      --frames N       frames to run, at most 1000000 (default 1000)\n"
    "      --seed N         seed of the spotlight's jumps and of missing weights (default 1)\n"
    "  -h, --help           show this help and exit\n";

const char* const evolve_help =
    "Evolve the weights of a 3-N-4 network (or of the --from network) with a (mu/mu, lambda)\n"
    "evolution strategy to maximise the behaviour's score as 'creature_lab score' gives it.\n"
    "Each generation prints its best and mean score; the best network so far is written to\n"
    "the output file, atomically, after every generation. On a terminal a progress line\n"
    "shows the generation under way.\n"
    "\n"
    "Options:\n"
    "      --behaviour B     follow, flee or circle (required)\n"
    "  -o, --output FILE     the network file to write (required)\n"
    "      --hidden N        hidden neurons, 0 (none) to 1000 (default 8); not with --from\n"
    "      --population N    offspring per generation, 4 to 100000 (default 60)\n"
    "      --generations N   generations, 1 to 1000000 (default 200)\n"
    "      --from FILE       start from this network, its shape and weights, instead of random\n"
    "                        ones; it counts as the best so far, so nothing worse is written\n"
    "      --frames N        frames per scenario (default 1000)\n"
    "      --seed N          seed of everything random (default 1)\n"
    "      --threads N       threads to score with, 1 to 256 (default: one per core); the\n"
    "                        result does not depend on it\n"
    "  -h, --help            show this help and exit\n";

// An option that takes a value: its names and which commands accept it.
struct ValueOption {
    const char* long_name;
    const char* short_name;  // empty when there is none
    bool score, trace, evolve;
};

const ValueOption value_options[] = {
    {"--behaviour", "", true, false, true}, {"--frames", "", true, true, true},
    {"--seed", "", true, true, true},       {"--output", "-o", false, true, true},
    {"--image", "", false, true, false},    {"--scenario", "", false, true, false},
    {"--hidden", "", false, false, true},   {"--population", "", false, false, true},
    {"--generations", "", false, false, true}, {"--from", "", false, false, true},
    {"--threads", "", false, false, true},
};

bool accepts(const ValueOption& option, LabCommand command)
{
    return (command == LabCommand::score && option.score) || (command == LabCommand::trace && option.trace) ||
           (command == LabCommand::evolve && option.evolve);
}

// Reads a whole decimal number from `low` to `high`.
bool read_number(const std::string& text, long long low, long long high, long long& value)
{
    const char* end = text.data() + text.size();
    const std::from_chars_result read = std::from_chars(text.data(), end, value);
    return !text.empty() && read.ec == std::errc() && read.ptr == end && value >= low && value <= high;
}

class Parser {
public:
    explicit Parser(LabOptions& options) : options(options) {}

    // Stores the value of one option; an error text when it is unusable.
    std::string store(const std::string& name, const std::string& value)
    {
        long long number = 0;
        const auto number_in = [&](long long low, long long high) {
            return read_number(value, low, high, number);
        };
        const auto range_error = [&](long long low, long long high) {
            return "option '" + name + "' needs a whole number from " + std::to_string(low) + " to " +
                   std::to_string(high) + ", not '" + value + "'";
        };
        if (name == "--behaviour") {
            if (!behaviour_from_name(value, options.behaviour))
                return "option '--behaviour' needs follow, flee or circle, not '" + value + "'";
            options.behaviour_given = true;
        } else if (name == "--scenario") {
            if (!find_scenario(value))
                return "unknown scenario '" + value + "'; see 'creature_lab trace --help'";
            options.scenario = value;
        } else if (name == "--output") {
            options.output_file = value;
        } else if (name == "--image") {
            options.image_file = value;
        } else if (name == "--from") {
            options.from_file = value;
        } else if (name == "--frames") {
            if (!number_in(1, 10000000))
                return range_error(1, 10000000);
            options.frames = static_cast<int>(number);
        } else if (name == "--seed") {
            if (!number_in(0, UINT32_MAX))
                return range_error(0, UINT32_MAX);
            options.seed = static_cast<unsigned>(number);
        } else if (name == "--hidden") {
            if (!number_in(0, 1000))
                return range_error(0, 1000);
            options.hidden = static_cast<int>(number);
            options.hidden_given = true;
        } else if (name == "--population") {
            if (!number_in(4, 100000))
                return range_error(4, 100000);
            options.population = static_cast<int>(number);
        } else if (name == "--generations") {
            if (!number_in(1, 1000000))
                return range_error(1, 1000000);
            options.generations = static_cast<int>(number);
        } else if (name == "--threads") {
            if (!number_in(1, 256))
                return range_error(1, 256);
            options.threads = static_cast<int>(number);
        }
        return "";
    }

private:
    LabOptions& options;
};

// The option `argument` names, with its value when joined to it; null when it names none.
const ValueOption* match_option(const std::string& argument, std::string& joined_value, bool& joined)
{
    for (const ValueOption& option : value_options) {
        const std::string long_name = option.long_name;
        const std::string short_name = option.short_name;
        joined = false;
        if (argument == long_name || (!short_name.empty() && argument == short_name))
            return &option;
        if (argument.compare(0, long_name.size() + 1, long_name + "=") == 0) {
            joined = true;
            joined_value = argument.substr(long_name.size() + 1);
            return &option;
        }
        if (!short_name.empty() && argument.compare(0, short_name.size(), short_name) == 0) {
            joined = true;
            joined_value = argument.substr(short_name.size());
            return &option;
        }
    }
    return nullptr;
}

std::string check_complete(const LabOptions& options, const std::vector<std::string>& operands)
{
    const bool needs_network = options.command != LabCommand::evolve;
    if (needs_network && operands.empty())
        return "no NETWORK_FILE given";
    const std::size_t allowed = needs_network ? 1 : 0;
    if (operands.size() > allowed)
        return "unexpected '" + operands[allowed] + "'";
    if (options.command != LabCommand::score && options.output_file.empty())
        return std::string("'") + lab_command_name(options.command) + "' needs an output file (-o FILE)";
    // A trace is kept whole in memory until it is written, at about 150 bytes a frame.
    if (options.command == LabCommand::trace && options.frames > max_trace_frames)
        return "'trace' takes at most " + std::to_string(max_trace_frames) + " frames";
    if (options.command == LabCommand::evolve && !options.behaviour_given)
        return "'evolve' needs a behaviour (--behaviour follow|flee|circle)";
    if (options.hidden_given && !options.from_file.empty())
        return "'--hidden' cannot be given with '--from': the start network's own hidden layers are evolved";
    return "";
}

}  // namespace

ParsedLabCommandLine parse_lab_command_line(const std::vector<std::string>& arguments)
{
    ParsedLabCommandLine parsed;
    LabOptions& options = parsed.options;
    if (arguments.empty()) {
        parsed.error = "no command given";
        return parsed;
    }
    const std::string& first = arguments[0];
    if (first == "-h" || first == "--help") {
        options.show_help = true;
        return parsed;
    }
    if (first == "--version") {
        options.show_version = true;
        return parsed;
    }
    for (LabCommand command : {LabCommand::score, LabCommand::trace, LabCommand::evolve}) {
        if (first == lab_command_name(command))
            options.command = command;
    }
    if (options.command == LabCommand::none) {
        parsed.error = "unknown command '" + first + "'";
        return parsed;
    }

    Parser parser(options);
    std::vector<std::string> operands;
    bool options_ended = false;
    for (std::size_t index = 1; index < arguments.size(); ++index) {
        const std::string& argument = arguments[index];
        if (options_ended || argument.size() < 2 || argument[0] != '-') {
            operands.push_back(argument);
            continue;
        }
        if (argument == "--") {
            options_ended = true;
            continue;
        }
        if (argument == "-h" || argument == "--help") {
            options.show_help = true;
            continue;
        }
        std::string value;
        bool joined = false;
        const ValueOption* option = match_option(argument, value, joined);
        if (!option || !accepts(*option, options.command)) {
            parsed.error = "unknown option '" + argument + "' for '" + lab_command_name(options.command) + "'";
            return parsed;
        }
        if (!joined && index + 1 < arguments.size())
            value = arguments[++index];
        if (value.empty()) {
            parsed.error = std::string("option '") + option->long_name + "' needs a value";
            return parsed;
        }
        parsed.error = parser.store(option->long_name, value);
        if (!parsed.error.empty())
            return parsed;
    }
    if (!options.show_help)
        parsed.error = check_complete(options, operands);
    if (parsed.error.empty() && !operands.empty())
        options.network_file = operands[0];
    return parsed;
}

namespace {

// Each command's name, synopsis and help; the tool itself first.
struct CommandTexts {
    LabCommand command;
    const char* name;
    const char* usage;
    const char* help;
};

const CommandTexts command_texts[] = {
    {LabCommand::none, "", "Usage: creature_lab score|trace|evolve [OPTION]...\n", tool_help},
    {LabCommand::score, "score",
     "Usage: creature_lab score NETWORK_FILE [--behaviour follow|flee|circle] [--frames N] [--seed N]\n",
     score_help},
    {LabCommand::trace, "trace",
     "Usage: creature_lab trace NETWORK_FILE -o TRACE.csv [--image TRACE.png] [--scenario NAME]\n"
     "                          [--frames N] [--seed N]\n",
     trace_help},
    {LabCommand::evolve, "evolve",
     "Usage: creature_lab evolve --behaviour follow|flee|circle -o NETWORK_FILE [--hidden N]\n"
     "                           [--population N] [--generations N] [--from NETWORK_FILE]\n"
     "                           [--frames N] [--seed N] [--threads N]\n",
     evolve_help},
};

const CommandTexts& texts_of(LabCommand command)
{
    for (const CommandTexts& texts : command_texts) {
        if (texts.command == command)
            return texts;
    }
    return command_texts[0];
}

}  // namespace

const char* lab_command_name(LabCommand command)
{
    return texts_of(command).name;
}

std::string lab_usage(LabCommand command)
{
    return texts_of(command).usage;
}

std::string lab_help(LabCommand command)
{
    return lab_usage(command) + texts_of(command).help;
}
