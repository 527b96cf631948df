// The whole creature_lab run behind main: parses the command line, runs the command, prints
// results and problems. Streams and the terminal check come from the caller, so tests run it
// in-process.
#ifndef CREATURE_LAB_CREATURE_LAB_H
#define CREATURE_LAB_CREATURE_LAB_H

#include "tool_support/exit_status.h"

#include <iosfwd>
#include <string>
#include <vector>

struct CreatureLabSettings {
    bool stderr_is_terminal = false;  // a progress line is drawn only on a terminal
};

// Runs creature_lab with the arguments after the program name; returns the exit status.
int run_creature_lab(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err,
                     const CreatureLabSettings& settings);

#endif
