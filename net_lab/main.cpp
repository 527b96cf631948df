// net_lab: a network learning before the user's eyes. Loads a network file and its training
// records, trains between frames on Space, and draws the network, the maps or the pattern
// table, and the learning curve in every frame.
#include "net_lab/command_line.h"
#include "net_lab/lab.h"
#include "net_lab/lab_screen.h"
#include "palette/palette.h"
#include "program_shell/start_up.h"
#include "tool_support/exit_status.h"

#include <allegro.h>

#include <chrono>
#include <ctime>
#include <iostream>

namespace {

double seconds_now()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// Missing weights are drawn from the time of loading, shown on the screen as the seed.
unsigned time_seed()
{
    return static_cast<unsigned>(std::time(nullptr));
}

// The shell's colours and net_lab's own; the view sets its entries when it is built.
void set_palette()
{
    set_shell_colors();
    set_lab_colors();
}

}  // namespace

int main(int argc, char* argv[])
{
    // Set-up: command line, library and mode, colours, back buffer, the network.
    LabFiles files;
    bool help = false;
    std::string error;
    if (!read_net_lab_command_line(argc, argv, files, help, error)) {
        std::cerr << "net_lab: " << error << '\n' << net_lab_usage;
        return exit_usage;
    }
    if (help) {
        std::cout << net_lab_usage << net_lab_help;
        return exit_success;
    }
    const std::string command = command_line_text(argc, argv);
    const ProgramDisplay program{"net_lab", command.c_str(), lab_screen_width, lab_screen_height};
    BitmapPtr buffer = start_program(program, set_palette);
    if (!buffer)
        return exit_short_of_goal;
    Lab lab;
    start_lab(lab, files, time_seed());
    const SecondsClock clock = seconds_now;

    // Frame loop: keys and training, drawing, the shell's keys, show the frame.
    while (lab.running) {
        run_lab_frame(lab, buffer.get(), read_presses(), clock);
        // The key that leaves the help or the file selector is no press of the lab's.
        handle_shell_keys(lab, lab_screens, buffer.get(), screen, key,
                          [&lab] { load_selected_file(lab, time_seed()); }, [] { clear_keybuf(); });
        present_frame(buffer.get(), screen);
    }

    // Clean-up: the lab and the back buffer are released by their owners.
    return exit_success;
}
END_OF_MAIN()
