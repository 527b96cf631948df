// What the exit status of every command-line tool and program means; each tool documents
// the ones it uses in its --help and manual page. 64 and above follow <sysexits.h>.
#ifndef TOOL_SUPPORT_EXIT_STATUS_H
#define TOOL_SUPPORT_EXIT_STATUS_H

enum ExitStatus {
    exit_success = 0,            // done as asked (net_train: converged)
    exit_short_of_goal = 1,      // ran, but short of its goal: net_train's iteration limit;
                                 // a program whose display cannot be started
    exit_unusable_input = 2,     // an input cannot be used (cannot be read, is refused, no
                                 // usable patterns), so nothing was made of it
    exit_usage = 64,             // the command line is wrong
    exit_format_cannot_hold = 65,  // the file format cannot hold what was to be written
    exit_out_of_memory = 71,     // the run needs more memory than the system gives
    exit_cannot_write = 73,      // an output file cannot be written; it was left as it was
    exit_output_error = 74,      // standard output cannot be written: the report was lost
};

#endif
