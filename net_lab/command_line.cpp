// net_lab's command line: its options and texts; the scanner shared by the tools reads argv.
#include "net_lab/command_line.h"

#include "program_shell/screens.h"
#include "tool_support/option_scanner.h"

#include <vector>

const char* const net_lab_usage = "Usage: net_lab [NETWORK_FILE [TRAINING_FILE]]\n"
                                  "Trains a network before your eyes; TRAINING_FILE may be a CSV table (*.csv).\n";

const char* const net_lab_help =
    "NETWORK_FILE defaults to config_generated.txt; F1 in the window lists the keys.\n"
    "\n"
    "Options:\n"
    "  -h, --help  show this help and exit\n"
    "  --          end of the options: the names after it are files\n"
    "\n"
    "Exit status:\n"
    "  0   left with Esc\n"
    "  1   the graphics library or its mode cannot be started (for instance without a display)\n"
    "  64  the command line is wrong\n";

namespace {

enum Option { help_option };

const std::vector<OptionRule> options_table = {{help_option, "--help", "-h"}};

}  // namespace

bool read_net_lab_command_line(int argc, const char* const* argv, LabFiles& files, bool& help, std::string& error)
{
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    const ScannedCommandLine scanned = scan_options(arguments, 0, options_table);
    help = !scanned.options.empty();
    error = scanned.error;
    const std::vector<std::string>& operands = scanned.operands;
    if (error.empty() && operands.size() > 2)
        error = "at most a network file and a training file; unexpected '" + operands[2] + "'";
    for (std::size_t index = 0; error.empty() && index < operands.size(); ++index) {
        if (operands[index].empty())
            error = std::string("the ") + (index == 0 ? "network" : "training") + " file's name is empty";
    }
    if (error.empty() && !operands.empty() && operands[0].size() >= static_cast<std::size_t>(file_selector_path_limit))
        error = "the network file's name is longer than " + std::to_string(file_selector_path_limit - 1) + " bytes";
    if (!error.empty())
        return false;
    files.network_path = operands.empty() ? "config_generated.txt" : operands[0];
    files.training_path = operands.size() > 1 ? operands[1] : "";
    return true;
}
