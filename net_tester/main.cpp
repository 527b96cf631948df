// net_tester: shows a whole network, lets the digit keys and the mouse drive its inputs,
// and evaluates it again in every frame.
#include "net_tester/screens.h"
#include "net_tester/tester.h"
#include "palette/palette.h"
#include "program_shell/start_up.h"

#include <allegro.h>

int main(int, char* argv[])
{
    // Set-up: library and mode, shell colours, back buffer, the start-up network.
    const ProgramDisplay program{"net_tester", argv[0], 800, 600};
    BitmapPtr buffer = start_program(program, set_shell_colors);
    if (!buffer)
        return 1;
    Tester tester;
    start_tester(tester, SCREEN_W, SCREEN_H);

    // Frame loop: evaluate and draw, move the inputs, act on keys, show the frame.
    while (tester.running) {
        run_frame(tester, buffer.get(), key, mouse_y);
        handle_action_keys(tester, buffer.get(), screen, key);
        present_frame(buffer.get(), screen);
    }

    // Clean-up: the view and the back buffer are released by their owners.
    return 0;
}
END_OF_MAIN()
