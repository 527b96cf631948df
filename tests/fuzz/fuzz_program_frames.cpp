// Fuzz target: any bytes as the network file of both programs, on memory bitmaps with the
// library started without a display. Builds creature_sim's shell (creature and spotlight) and
// net_tester's view, and runs a few frames of each: sensing, evaluation and drawing.
#include "tests/fuzz/fuzz_support.h"

#include "creature_sim/shell.h"
#include "net_tester/tester.h"

#include <allegro.h>

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

BITMAP* creature_buffer = nullptr;  // 640 x 480, as creature_sim's back buffer
BITMAP* tester_buffer = nullptr;    // 800 x 600, as net_tester's back buffer

void run_creature_frames(const std::string& path)
{
    clear_bitmap(creature_buffer);
    SimulatorShell shell(creature_buffer, path.c_str());
    // Light on the creature's sensors, so the network sees inputs other than 0.
    shell.spotlight->x = shell.creature->x;
    shell.spotlight->y = shell.creature->y;
    volatile char keys[KEY_MAX] = {};
    keys[KEY_ASTERISK] = 1;
    for (int frame = 0; frame < 3; ++frame) {
        shell.step_world();
        shell.apply_held_keys(keys);
        clear_bitmap(creature_buffer);
    }
    shell.creature->load_network(path.c_str());
    shell.first_file = false;
    shell.step_world();
}

void run_tester_frames(const std::string& path)
{
    clear_bitmap(tester_buffer);
    Tester tester;
    std::strncpy(tester.config_path, path.c_str(), sizeof tester.config_path - 1);
    start_tester(tester, tester_buffer->w, tester_buffer->h);
    volatile char keys[KEY_MAX] = {};
    for (int frame = 0; frame < 2; ++frame) {
        run_frame(tester, tester_buffer, keys, 100);
        clear_bitmap(tester_buffer);
        for (int k : {KEY_1, KEY_2, KEY_3, KEY_4, KEY_5, KEY_6, KEY_7, KEY_8, KEY_9, KEY_0})
            keys[k] = 1;
    }
    accept_selected_file(tester);
    run_frame(tester, tester_buffer, keys, tester_buffer->h - 1);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    if (install_allegro(SYSTEM_NONE, &errno, std::atexit) != 0) {
        std::fprintf(stderr, "cannot start the library: %s\n", allegro_error);
        std::abort();
    }
    set_color_depth(8);
    creature_buffer = create_bitmap_ex(8, 640, 480);
    tester_buffer = create_bitmap_ex(8, 800, 600);
    if (creature_buffer == nullptr || tester_buffer == nullptr)
        fuzz_failure("cannot create the frame buffers");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (!declared_size_fits(data, size))
        return -1;
    const std::string path = write_input(data, size);
    run_creature_frames(path);
    run_tester_frames(path);
    return 0;
}
