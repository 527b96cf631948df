// creature_lab's commands, the options each accepts and their texts; the scanner shared by
// the tools reads argv.
#include "creature_lab/command_line.h"

#include "tool_support/option_scanner.h"


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
    "  2   a network file cannot be used: it cannot be read or is no creature's (3 inputs,\n"
    "      4 outputs)\n"
    "  64  the command line is wrong\n"
    "  71  the run needs more memory than the system gives; files written before stay whole\n"
    "  73  an output file cannot be written; it was left as it was\n"
    "  74  standard output cannot be written: the results were lost (in place of 0)\n";

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

enum Option { help, behaviour, frames, seed, output, image, scenario, hidden, population, generations, from, threads };

// An option with the commands that accept it.
struct LabOption {
    OptionRule rule;
    bool score, trace, evolve;
};

const LabOption lab_options[] = {
    {{help, "--help", "-h"}, true, true, true},
    {{behaviour, "--behaviour", "", OptionValue::word, "follow, flee or circle"}, true, false, true},
    {{frames, "--frames", "", OptionValue::number, "", 1, 10000000}, true, true, true},
    {seed_option(seed), true, true, true},
    {{output, "--output", "-o", OptionValue::file}, false, true, true},
    {{image, "--image", "", OptionValue::file}, false, true, false},
    {{scenario, "--scenario", "", OptionValue::word, "a scenario's name"}, false, true, false},
    {{hidden, "--hidden", "", OptionValue::number, "", 0, 1000}, false, false, true},
    {{population, "--population", "", OptionValue::number, "", smallest_population, largest_population}, false, false, true},
    {{generations, "--generations", "", OptionValue::number, "", 1, largest_generations}, false, false, true},
    {{from, "--from", "", OptionValue::file}, false, false, true},
    {{threads, "--threads", "", OptionValue::number, "", 1, 256}, false, false, true},
};

std::vector<OptionRule> options_of(CreatureLabCommand command)
{
    std::vector<OptionRule> rules;
    for (const LabOption& option : lab_options) {
        if ((command == CreatureLabCommand::score && option.score) ||
            (command == CreatureLabCommand::trace && option.trace) ||
            (command == CreatureLabCommand::evolve && option.evolve))
            rules.push_back(option.rule);
    }
    return rules;
}

// Stores one scanned option; an error text when its value is unusable.
std::string store(const ScannedOption& option, CreatureLabOptions& options)
{
    const int number = static_cast<int>(option.number);  // every range but the seed's fits an int
    switch (option.id) {
    case help: options.show_help = true; break;
    case behaviour:
        if (!behaviour_from_name(option.text, options.behaviour))
            return "option '--behaviour' needs follow, flee or circle, not '" + option.text + "'";
        options.behaviour_given = true;
        break;
    case scenario:
        if (!find_scenario(option.text))
            return "unknown scenario '" + option.text + "'; see 'creature_lab trace --help'";
        options.scenario = option.text;
        break;
    case output: options.output_file = option.text; break;
    case image: options.image_file = option.text; break;
    case from: options.from_file = option.text; break;
    case frames: options.frames = number; break;
    case seed: options.seed = static_cast<unsigned>(option.number); break;
    case hidden:
        options.hidden = number;
        options.hidden_given = true;
        break;
    case population: options.population = number; break;
    case generations: options.generations = number; break;
    case threads: options.threads = number; break;
    default: break;
    }
    return "";
}

std::string check_complete(const CreatureLabOptions& options, const std::vector<std::string>& operands)
{
    const bool needs_network = options.command != CreatureLabCommand::evolve;
    if (needs_network && operands.empty())
        return "no NETWORK_FILE given";
    const std::size_t allowed = needs_network ? 1 : 0;
    if (operands.size() > allowed)
        return "unexpected '" + operands[allowed] + "'";
    if (options.command != CreatureLabCommand::score && options.output_file.empty())
        return std::string("'") + creature_lab_command_name(options.command) + "' needs an output file (-o FILE)";
    // A trace is kept whole in memory until it is written, at about 150 bytes a frame.
    if (options.command == CreatureLabCommand::trace && options.frames > max_trace_frames)
        return "'trace' takes at most " + std::to_string(max_trace_frames) + " frames";
    if (options.command == CreatureLabCommand::evolve && !options.behaviour_given)
        return "'evolve' needs a behaviour (--behaviour follow|flee|circle)";
    if (options.hidden_given && !options.from_file.empty())
        return "'--hidden' cannot be given with '--from': the start network's own hidden layers are evolved";
    return "";
}

}  // namespace

ParsedCreatureLabCommandLine parse_creature_lab_command_line(const std::vector<std::string>& arguments)
{
    ParsedCreatureLabCommandLine parsed;
    CreatureLabOptions& options = parsed.options;
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
    for (CreatureLabCommand command :
         {CreatureLabCommand::score, CreatureLabCommand::trace, CreatureLabCommand::evolve}) {
        if (first == creature_lab_command_name(command))
            options.command = command;
    }
    if (options.command == CreatureLabCommand::none) {
        parsed.error = "unknown command '" + first + "'";
        return parsed;
    }

    const std::string context = std::string(" for '") + creature_lab_command_name(options.command) + "'";
    const ScannedCommandLine scanned = scan_options(arguments, 1, options_of(options.command), context);
    parsed.error = scanned.error;
    for (std::size_t index = 0; index < scanned.options.size() && parsed.error.empty(); ++index)
        parsed.error = store(scanned.options[index], options);
    if (parsed.error.empty() && !options.show_help)
        parsed.error = check_complete(options, scanned.operands);
    if (parsed.error.empty() && !scanned.operands.empty())
        options.network_file = scanned.operands[0];
    return parsed;
}

namespace {

// Each command's name, synopsis and help; the tool itself first.
struct CommandTexts {
    CreatureLabCommand command;
    const char* name;
    const char* usage;
    const char* help;
};

const CommandTexts command_texts[] = {
    {CreatureLabCommand::none, "", "Usage: creature_lab score|trace|evolve [OPTION]...\n", tool_help},
    {CreatureLabCommand::score, "score",
     "Usage: creature_lab score NETWORK_FILE [--behaviour follow|flee|circle] [--frames N] [--seed N]\n",
     score_help},
    {CreatureLabCommand::trace, "trace",
     "Usage: creature_lab trace NETWORK_FILE -o TRACE.csv [--image TRACE.png] [--scenario NAME]\n"
     "                          [--frames N] [--seed N]\n",
     trace_help},
    {CreatureLabCommand::evolve, "evolve",
     "Usage: creature_lab evolve --behaviour follow|flee|circle -o NETWORK_FILE [--hidden N]\n"
     "                           [--population N] [--generations N] [--from NETWORK_FILE]\n"
     "                           [--frames N] [--seed N] [--threads N]\n",
     evolve_help},
};

const CommandTexts& texts_of(CreatureLabCommand command)
{
    for (const CommandTexts& texts : command_texts) {
        if (texts.command == command)
            return texts;
    }
    return command_texts[0];
}

}  // namespace

const char* creature_lab_command_name(CreatureLabCommand command)
{
    return texts_of(command).name;
}

std::string creature_lab_usage(CreatureLabCommand command)
{
    return texts_of(command).usage;
}

std::string creature_lab_help(CreatureLabCommand command)
{
    return creature_lab_usage(command) + texts_of(command).help;
}
