// The start every command-line tool shares: temporaries removed on signals, the arguments after
// the program name, and whether stderr is a terminal (a progress line is drawn only there).
#ifndef TOOL_SUPPORT_TOOL_MAIN_H
#define TOOL_SUPPORT_TOOL_MAIN_H

#include "file_system/interrupted_writes.h"

#include <iostream>
#include <string>
#include <unistd.h>
#include <vector>

// Runs `run(arguments, std::cout, std::cerr, settings)` with settings that only say whether
// stderr is a terminal; returns its exit status.
template <class Settings>
int run_tool_main(int argc, char** argv,
                  int (*run)(const std::vector<std::string>&, std::ostream&, std::ostream&, const Settings&))
{
    remove_temporaries_on_signals();
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    Settings settings;
    settings.stderr_is_terminal = isatty(STDERR_FILENO) == 1;
    return run(arguments, std::cout, std::cerr, settings);
}

#endif
