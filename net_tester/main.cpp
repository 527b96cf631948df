// net_tester: shows a whole network, lets the digit keys and the mouse drive its inputs,
// and evaluates it again in every frame.
#include "net_tester/screens.h"
#include "net_tester/tester.h"
#include "palette/palette.h"

#include <allegro.h>

#include <memory>

namespace {

constexpr int screen_width = 800;
constexpr int screen_height = 600;

struct BitmapDeleter {
    void operator()(BITMAP* bitmap) const { destroy_bitmap(bitmap); }
};
using BitmapPtr = std::unique_ptr<BITMAP, BitmapDeleter>;

}  // namespace

int main()
{
    // Set-up: library and mode, shell colours, back buffer, the start-up network.
    if (!open_display(screen_width, screen_height))
        return 1;
    set_shell_colors();
    BitmapPtr buffer(create_bitmap(SCREEN_W, SCREEN_H));
    if (!buffer) {
        report_failure("cannot create the back buffer");
        return 1;
    }
    clear_bitmap(buffer.get());
    Tester tester;
    start_tester(tester, SCREEN_W, SCREEN_H);

    // Frame loop: evaluate and draw, move the inputs, act on keys, show the frame.
    while (tester.running) {
        run_frame(tester, buffer.get(), key, mouse_y);
        handle_action_keys(tester, buffer.get(), key);
        present_frame(buffer.get());
    }

    // Clean-up: the view and the back buffer are released by their owners.
    return 0;
}
END_OF_MAIN()
