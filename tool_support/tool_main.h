// The start and end every command-line tool shares: temporaries removed on signals, the
// arguments after the program name, whether stderr is a terminal (a progress line is drawn
// only there), and a report on standard output that could not be written.
#ifndef TOOL_SUPPORT_TOOL_MAIN_H
#define TOOL_SUPPORT_TOOL_MAIN_H

#include "file_system/interrupted_writes.h"
#include "tool_support/exit_status.h"

#include <iostream>
#include <new>
#include <string>
#include <unistd.h>
#include <vector>

// Holds a whole report on standard output, when that is not a terminal, until the run's end,
// so that a write that fails there does so in finish_standard_output, which keeps its reason.
void hold_standard_output();

// Flushes standard output; when it or an earlier write to it failed, says so on stderr as
// "`program`: cannot write standard output: REASON" and returns exit_output_error in place
// of a `status` that reported success or the iteration limit. Otherwise returns `status`.
int finish_standard_output(const char* program, int status);

// Returns `run()`; when memory runs out, says "`program`: `message`" on `err` and returns
// exit_out_of_memory. Output files are replaced whole, so each is then written or as it was.
template <class Run>
int run_within_memory(const char* program, const char* message, std::ostream& err, Run run)
{
    try {
        return run();
    } catch (const std::bad_alloc&) {
        err << program << ": " << message << '\n';
        return exit_out_of_memory;
    }
}

// Runs `run(arguments, std::cout, std::cerr, settings)` with settings that only say whether
// stderr is a terminal; returns its exit status, or exit_output_error when its report was lost.
template <class Settings>
int run_tool_main(const char* program, int argc, char** argv,
                  int (*run)(const std::vector<std::string>&, std::ostream&, std::ostream&, const Settings&))
{
    remove_temporaries_on_signals();
    hold_standard_output();
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    Settings settings;
    settings.stderr_is_terminal = isatty(STDERR_FILENO) == 1;
    return finish_standard_output(program, run(arguments, std::cout, std::cerr, settings));
}

#endif
