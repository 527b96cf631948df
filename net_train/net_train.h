// The whole net_train run behind main: reads the files, reports their problems, trains with
// progress, writes the trained network and reports the result. Streams and the terminal
// check come from the caller, so tests run it in-process.
#ifndef NET_TRAIN_NET_TRAIN_H
#define NET_TRAIN_NET_TRAIN_H

#include "tool_support/exit_status.h"

#include <functional>
#include <iosfwd>
#include <string>
#include <vector>


struct NetTrainSettings {
    bool stderr_is_terminal = false;  // a progress line is drawn only on a terminal
    int fixed_chunk = 0;              // above 0: train in chunks of this many passes, for tests
    // Seconds since any fixed moment; the progress line and the chunk sizes go by it. When
    // empty, the steady clock. Tests hand in a clock of their own.
    std::function<double()> clock;
};

// Runs net_train with the arguments after the program name; returns the exit status.
int run_net_train(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err,
                  const NetTrainSettings& settings);

#endif
