// net_train's options and texts; the scanner shared by the tools reads argv.
#include "net_train/command_line.h"

#include "engine/data_sets.h"
#include "engine/format_keys.h"
#include "engine/training_run.h"
#include "tool_support/number_text.h"
#include "tool_support/option_scanner.h"

const char* const usage_text =
    "Usage: net_train [-q] [-t TRAINING_FILE] [-o OUTPUT_FILE] [--lesson LESSON_FILE]\n"
    "                 [--write-nearest] [--seed N] [--curve CURVE_FILE] [--test-share S [--test-seed N]]\n"
    "                 [--learn-thresholds] NETWORK_FILE\n"
    "       net_train --write-data-set NAME [--points N] [--noise X] [--seed N] -o FILE\n";

// Built from the key table, so that the records it names are spelled as the readers take them.
const std::string help_text =
    "Usage: net_train [OPTION]... NETWORK_FILE\n"
    "  or:  net_train --write-data-set NAME [--points N] [--noise X] [--seed N] -o FILE\n"
    "Build the network that NETWORK_FILE describes, train it by back-propagation on the\n" +
    quoted_key(FormatKey::Pattern) + " records of NETWORK_FILE (or of the file given with -t), and report the result.\n"
    "\n"
    "Options:\n"
    "  -t, --training FILE  read the training records (" + quoted_key(FormatKey::Pattern) + ", " +
    quoted_key(FormatKey::ErrorLimit) + ",\n"
    "                       " + quoted_key(FormatKey::MaxIterations) + ", " + quoted_key(FormatKey::LearningRate) +
    ", " + quoted_key(FormatKey::MaxWeight) + ",\n"
    "                       " + quoted_key(FormatKey::LearnThresholds) + ") from FILE;\n"
    "                       a FILE named *.csv is a table of patterns, one row each: the\n"
    "                       inputs, then the expected outputs (the parameters then come\n"
    "                       from NETWORK_FILE)\n"
    "  -o, --output FILE    write the trained network to FILE, replacing it; written also\n"
    "                       when the iteration limit is reached. FILE is checked before\n"
    "                       training, and replaced only once the whole network is written\n"
    "      --lesson FILE    write the trained network to FILE as a lesson: its records as -o\n"
    "                       writes them, then the patterns and the training parameters\n"
    "                       (with " + quoted_key(FormatKey::TestShare) + " and " + quoted_key(FormatKey::TestSeed) +
    "), so that training FILE\n"
    "                       goes on from there; checked and replaced as -o is\n"
    "      --write-nearest  when the file format cannot hold the trained network (its neurons\n"
    "                       differ in slope, or one has surplus connections),\n"
    "                       write the nearest network it can hold and report its worst error\n"
    "                       (needs -o)\n"
    "      --seed N         draw the weights the file leaves out from a generator seeded\n"
    "                       with N (0 to 4294967295), so that runs can be repeated; without\n"
    "                       it the seed is the current time\n"
    "      --learn-thresholds\n"
    "                       train each computing neuron's threshold with its weights, as a\n"
    "                       bias (as the record \"" + record_start(FormatKey::LearnThresholds) + "1\" does); the written\n"
    "                       network then holds one threshold per neuron\n"
    "      --curve FILE     write the learning curve to FILE as CSV: \"pass,worst_error,\n"
    "                       mean_squared_error\", one row per check pass from pass 0; long\n"
    "                       runs keep every k-th pass, told in a \"#\" line; with\n"
    "                       --test-share, also \"test_worst_error,test_mean_squared_error\"\n"
    "      --test-share S   hold the share S (0 to 0.9) of the patterns out of training, at\n"
    "                       least one pattern left to train: training and its check use the\n"
    "                       others, and the report gives the held-out patterns' errors\n"
    "      --test-seed N    choose the held-out patterns with the seed N (0 to 4294967295);\n"
    "                       without it, the seed of --seed, else 0\n"
    "      --write-data-set NAME  train nothing: write the data set NAME (xor, circle,\n"
    "                       gaussians or spirals: two inputs in 0..1, then the class 0 or 1)\n"
    "                       to the -o FILE as a CSV table that -t reads; the same seed (--seed,\n"
    "                       0 without it) gives the same numbers on every platform\n"
    "      --points N       the data set's number of points, 1 to 1000000 (200)\n"
    "      --noise X        the data set's noise, 0 to 0.5 (0): the standard deviation of a\n"
    "                       normal shift of each input\n"
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
    "the key " + quoted_key(FormatKey::MisspeltThreshold) + " for " + quoted_key(FormatKey::Threshold) +
    "). When training takes longer than a second and\n"
    "standard error is a terminal, a progress line shows the passes made and the worst error.\n"
    "\n"
    "Exit status:\n"
    "  0   converged: every output of every pattern lies within the error limit; with\n"
    "      --write-data-set, the data set was written\n"
    "  1   the iteration limit was reached before that, or the nearest network written\n"
    "      (--write-nearest) misses the error limit\n"
    "  2   nothing could be trained: the network file cannot be opened, describes no network\n"
    "      or is refused, the training records are missing or unusable, or training gave\n"
    "      outputs that are not numbers\n"
    "  64  the command line is wrong\n"
    "  65  the file format cannot hold the trained network; OUTPUT_FILE was left as it was\n"
    "      (see --write-nearest)\n"
    "  71  the run needs more memory than the system gives (a network, a line of a file, the\n"
    "      check of the trained network's text); an output file is whole, written or as it was\n"
    "  73  an output file cannot be written (checked before training); it was left as it was\n"
    "  74  standard output cannot be written: the report was lost (in place of 0 or 1)\n";

namespace {

enum Option {
    quiet, help, version, training, output, write_nearest, curve, seed, data_set, points, noise, test_share, test_seed,
    learn_thresholds, lesson
};

const std::vector<OptionRule> options_table = {
    {quiet, "--quiet", "-q"},
    {help, "--help", "-h"},
    {version, "--version", ""},
    {training, "--training", "-t", OptionValue::file},
    {output, "--output", "-o", OptionValue::file},
    {write_nearest, "--write-nearest", ""},
    {curve, "--curve", "", OptionValue::file},
    {lesson, "--lesson", "", OptionValue::file},
    {learn_thresholds, "--learn-thresholds", ""},
    seed_option(seed),
    {data_set, "--write-data-set", "", OptionValue::word, "a data set's name"},
    {points, "--points", "", OptionValue::number, "", 1, data_set_max_points},
    {noise, "--noise", "", OptionValue::word, "a number from 0 to 0.5"},
    {test_share, "--test-share", "", OptionValue::word, "a share from 0 to 0.9"},
    {test_seed, "--test-seed", "", OptionValue::number, "", 0, 4294967295LL},
};

// What is wrong with the command line of --write-data-set; empty when it is sound.
std::string data_set_command_error(const NetTrainOptions& options, const std::vector<std::string>& operands)
{
    if (options.data_set.empty())
        return options.data_set_shape_given ? "options '--points' and '--noise' need --write-data-set" : "";
    if (!operands.empty())
        return "--write-data-set takes no NETWORK_FILE; unexpected '" + operands[0] + "'";
    if (options.output_file.empty())
        return "--write-data-set needs -o FILE to write to";
    if (!options.training_file.empty() || !options.curve_file.empty() || options.write_nearest ||
        options.test_share > 0.0 || options.has_test_seed || options.learn_thresholds)
        return "--write-data-set trains nothing: -t, --curve, --write-nearest, --test-share, --test-seed and "
               "--learn-thresholds do not go with it";
    if (!options.lesson_file.empty())
        return "--write-data-set trains nothing: --lesson does not go with it";
    return "";
}

}  // namespace

ParsedCommandLine parse_command_line(const std::vector<std::string>& arguments)
{
    ParsedCommandLine parsed;
    NetTrainOptions& options = parsed.options;
    const ScannedCommandLine scanned = scan_options(arguments, 0, options_table);
    parsed.error = scanned.error;
    if (!parsed.error.empty())
        return parsed;
    for (const ScannedOption& option : scanned.options) {
        switch (option.id) {
        case quiet: options.quiet = true; break;
        case help: options.show_help = true; break;
        case version: options.show_version = true; break;
        case training: options.training_file = option.text; break;
        case output: options.output_file = option.text; break;
        case write_nearest: options.write_nearest = true; break;
        case curve: options.curve_file = option.text; break;
        case lesson: options.lesson_file = option.text; break;
        case learn_thresholds: options.learn_thresholds = true; break;
        case seed:
            options.has_seed = true;
            options.seed = static_cast<unsigned>(option.number);
            break;
        case data_set: options.data_set = option.text; break;
        case points:
            options.points = option.number;
            options.data_set_shape_given = true;
            break;
        case noise:
            if (!read_real_number(option.text, 0.0, data_set_max_noise, options.noise)) {
                parsed.error = "option '--noise' needs a number from 0 to 0.5, not '" + option.text + "'";
                return parsed;
            }
            options.data_set_shape_given = true;
            break;
        case test_share:
            if (!read_real_number(option.text, 0.0, max_held_out_share, options.test_share)) {
                parsed.error = "option '--test-share' needs a share from 0 to " + shortest_text(max_held_out_share) +
                               "; '" + option.text + "' is none";
                return parsed;
            }
            break;
        case test_seed:
            options.has_test_seed = true;
            options.test_seed = static_cast<unsigned>(option.number);
            break;
        default: break;
        }
    }
    const std::vector<std::string>& operands = scanned.operands;
    if (options.show_help || options.show_version)
        return parsed;
    parsed.error = data_set_command_error(options, operands);
    if (!parsed.error.empty() || !options.data_set.empty())
        return parsed;
    if (options.has_test_seed && options.test_share == 0.0) {
        parsed.error = "option '--test-seed' chooses the patterns --test-share holds out, and no share above 0 is given";
    } else if (operands.empty()) {
        parsed.error = "no NETWORK_FILE given";
    } else if (operands.size() > 1) {
        parsed.error = "one NETWORK_FILE only; unexpected '" + operands[1] + "'";
    } else {
        options.network_file = operands[0];
    }
    return parsed;
}
