// creature_lab: scores, traces and evolves creature_sim's creatures without a display.
#include "creature_lab/creature_lab.h"

#include "file_system/interrupted_writes.h"

#include <iostream>
#include <string>
#include <unistd.h>
#include <vector>

int main(int argc, char** argv)
{
    remove_temporaries_on_signals();
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    LabSettings settings;
    settings.stderr_is_terminal = isatty(STDERR_FILENO) == 1;
    return run_creature_lab(arguments, std::cout, std::cerr, settings);
}
