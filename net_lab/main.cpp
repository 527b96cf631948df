// net_lab: a network learning before the user's eyes. Loads a network file and its training
// records, trains between frames on Space, and draws the network, the maps or the pattern
// table, and the learning curve in every frame.
#include "net_lab/lab.h"
#include "net_lab/lab_screen.h"
#include "net_tester/screens.h"
#include "palette/palette.h"

#include <allegro.h>

#include <chrono>
#include <ctime>
#include <iostream>

namespace {

const char* const usage = "Usage: net_lab [NETWORK_FILE [TRAINING_FILE]]\n";

double seconds_now()
{
    using Clock = std::chrono::steady_clock;
    return std::chrono::duration<double>(Clock::now().time_since_epoch()).count();
}

}  // namespace

int main(int argc, char** argv)
{
    // Set-up: command line, library and mode, colours, back buffer, the network.
    if (argc > 3) {
        std::cerr << "net_lab: too many arguments\n" << usage;
        return 64;
    }
    LabFiles files{argc > 1 ? argv[1] : "config_generated.txt", argc > 2 ? argv[2] : ""};
    if (!open_display(lab_screen_width, lab_screen_height))
        return 1;
    use_c_numeric_locale();
    set_shell_colors();
    set_lab_colors();
    BITMAP* buffer = create_bitmap(SCREEN_W, SCREEN_H);
    clear_bitmap(buffer);
    Lab lab;
    load_lab(lab, files, static_cast<unsigned>(std::time(nullptr)));
    const SecondsClock clock = seconds_now;

    // Frame loop.
    bool running = true;
    while (running) {
        run_lab_frame(lab, buffer, key, clock);
        if (key[KEY_ESC])
            running = false;
        present_frame(buffer);
    }

    destroy_bitmap(buffer);
    return 0;
}
END_OF_MAIN()
