// The command line of net_train: its options, the parsing of argv, and the help and usage texts.
#ifndef NET_TRAIN_COMMAND_LINE_H
#define NET_TRAIN_COMMAND_LINE_H

#include <string>
#include <vector>

struct NetTrainOptions {
    std::string network_file;   // the network to train; also its training records unless -t
    std::string training_file;  // -t: training records from another file; empty when not given
    std::string output_file;    // -o: where to write the trained network; empty when not given
    std::string lesson_file;    // --lesson: where to write the trained network as a lesson; empty when not given
    std::string curve_file;     // --curve: where to write the learning curve; empty when not given
    bool has_seed = false;      // --seed given: missing weights come from `seed`, not the clock
    unsigned seed = 0;
    double test_share = 0.0;    // --test-share: the share of the patterns held out of training
    bool has_test_seed = false; // --test-seed given: the held-out patterns come from `test_seed`
    unsigned test_seed = 0;
    bool write_nearest = false; // --write-nearest: write what the format can hold of the network
    bool learn_thresholds = false;  // --learn-thresholds: train the thresholds with the weights
    bool quiet = false;         // -q: no report and no progress
    std::string data_set;       // --write-data-set: the data set to write to -o; empty when not given
    long long points = 200;     // --points: the data set's number of points
    double noise = 0.0;         // --noise: the data set's noise level
    bool data_set_shape_given = false;  // --points or --noise given
    bool show_help = false;     // -h: print the help and stop
    bool show_version = false;  // --version: print the version and stop
};

struct ParsedCommandLine {
    NetTrainOptions options;
    std::string error;  // what is wrong with the command line; empty when it is sound
};

// Parses the arguments after the program name. Options may come before or after the
// network file; "--" ends the options.
ParsedCommandLine parse_command_line(const std::vector<std::string>& arguments);

extern const char* const usage_text;  // the one-line synopsis
extern const std::string help_text;   // the full --help text, synopsis included

#endif
