// net_train: trains a network file by back-propagation from the command line.
#include "net_train/net_train.h"

#include "file_system/interrupted_writes.h"

#include <iostream>
#include <string>
#include <unistd.h>
#include <vector>

int main(int argc, char** argv)
{
    remove_temporaries_on_signals();
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    NetTrainSettings settings;
    settings.stderr_is_terminal = isatty(STDERR_FILENO) == 1;
    return run_net_train(arguments, std::cout, std::cerr, settings);
}
