// The command line of creature_lab: its commands and options, the parsing of argv, and the
// help texts of the tool and of each command.
#ifndef CREATURE_LAB_COMMAND_LINE_H
#define CREATURE_LAB_COMMAND_LINE_H

#include "creature_evolution/evolution.h"

#include <string>
#include <vector>

enum class CreatureLabCommand { none, score, trace, evolve };

struct CreatureLabOptions {
    CreatureLabCommand command = CreatureLabCommand::none;
    std::string network_file;  // score and trace: the creature's network
    std::string output_file;   // -o: the trace or the evolved network
    std::string image_file;    // trace --image
    std::string from_file;     // evolve --from
    std::string scenario = "drift";  // trace --scenario
    Behaviour behaviour = Behaviour::follow;
    bool behaviour_given = false;
    int frames = default_frames;
    unsigned seed = 1;
    int hidden = default_hidden;
    bool hidden_given = false;
    int population = default_population;
    int generations = default_generations;
    int threads = 0;  // 0: one per core
    bool show_help = false;
    bool show_version = false;
};

struct ParsedCreatureLabCommandLine {
    CreatureLabOptions options;
    std::string error;  // what is wrong with the command line; empty when it is sound
};

// Parses the arguments after the program name: the command first, then its options and
// operands in any order; "--" ends the options.
ParsedCreatureLabCommandLine parse_creature_lab_command_line(const std::vector<std::string>& arguments);

// "score", "trace" or "evolve"; empty for CreatureLabCommand::none.
const char* creature_lab_command_name(CreatureLabCommand command);
// The one-line synopsis of a command, or of the tool for CreatureLabCommand::none.
std::string creature_lab_usage(CreatureLabCommand command);
// The full --help text of a command, or of the tool for CreatureLabCommand::none.
std::string creature_lab_help(CreatureLabCommand command);

#endif
