// creature_sim: a creature with three light sensors, driven by a network file, follows or
// flees a spotlight that the user moves with the mouse and the numpad.
#include "creature_sim/bitmap_ptr.h"
#include "creature_world/scene_colors.h"
#include "creature_sim/setup.h"
#include "creature_sim/shell.h"

#include <allegro.h>

#include <cstdio>

namespace {

int report_failure(const char* what, const char* reason_if_silent = "unknown reason")
{
    std::fprintf(stderr, "creature_sim: %s: %s\n", what,
                 allegro_error[0] ? allegro_error : reason_if_silent);
    return 1;
}

// Without a display the library can neither start nor set a mode; say how to get one.
int report_no_display(const char* what, const char* program)
{
    report_failure(what, "no display found");
    std::fprintf(stderr,
                 "creature_sim needs a graphical display (X11). Without one, run it on a "
                 "virtual display:\n"
                 "  xvfb-run -s \"-screen 0 640x480x24\" %s\n",
                 program);
    return 1;
}

}  // namespace

int main(int, char* argv[])
{
    // Set-up: library, mode, palette, back buffer, then the creature and the spotlight.
    if (!start_library())
        return report_no_display("cannot start the Allegro library", argv[0]);
    if (!open_graphics_mode())
        return report_no_display("cannot set the 640 x 480 mode with 256 colours", argv[0]);
    set_scene_palette();
    BitmapPtr buffer(create_bitmap(SCREEN_W, SCREEN_H));
    if (!buffer)
        return report_failure("cannot create the back buffer");
    clear_bitmap(buffer.get());
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
