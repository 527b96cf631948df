// creature_sim: a creature with three light sensors, driven by a network file, follows or
// flees a spotlight that the user moves with the mouse and the numpad.
#include "creature_sim/shell.h"
#include "creature_world/scene_palette.h"
#include "program_shell/start_up.h"

#include <allegro.h>

int main(int, char* argv[])
{
    // Set-up: library, mode, palette, back buffer, then the creature and the spotlight.
    const ProgramDisplay program{"creature_sim", argv[0], 640, 480};
    BitmapPtr buffer = start_program(program, set_scene_palette);
    if (!buffer)
        return 1;
    SimulatorShell shell(buffer.get(), "config_generated.txt");
    const FrameInput input{key, &mouse_b, get_mouse_mickeys};

    // Frame loop: update and draw into the buffer, then present it, until Esc.
    while (shell.running) {
        run_frame(shell, input, screen);
        present_frame(buffer.get(), screen);
    }

    // Clean-up: the shell, then the buffer, go out of scope here.
    return 0;
}
END_OF_MAIN()
