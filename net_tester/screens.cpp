// net_tester's library set-up and its screens outside the back buffer: the file selector,
// the quit message, the help screen and the screenshot message.
#include "net_tester/screens.h"

#include "net_tester/tester.h"
#include "palette/palette.h"

#include <allegro.h>

#include <clocale>
#include <cstdio>

namespace {

const char* const screenshot_name = "screenshot.bmp";

struct HelpLine {
    int x;
    int y;
    const char* text;
};

const HelpLine help_lines[] = {
    {5, 8, "Keys:"},
    {15, 30, "1 + mouse up/down  - change first input"},
    {15, 42, "2 + mouse up/down  - change second input"},
    {15, 54, ".. + mouse up/down - change .. input"},
    {15, 78, "L   - load network"},
    {15, 102, "F1  - this help"},
    {15, 114, "F12 - save screenshot (does NOT work in menus)"},
    {15, 126, "Esc - quit program"},
    {15, 150, "Press any key to leave help"},
};

// The selector edits config_path in place; an accepted file replaces the whole network.
void run_load_sequence(Tester& tester)
{
    const int accepted = file_select_ex(tester.dialog_title.c_str(), tester.config_path, "TXT",
                                        config_path_size, 450, 500);
    rest(250);
    if (accepted)
        accept_selected_file(tester);
}

void show_quit_message(Tester& tester)
{
    tester.text_background = 0;
    textout_ex(screen, font, "ESC pressed, will QUIT", 2, 2, error_color, tester.text_background);
    rest(2000);
    tester.running = false;
}

// Shown over the last frame until a key arrives; the F1 press itself does not count.
void show_help_screen(const Tester& tester)
{
    draw_help_panel(screen, tester.text_background);
    rest(100);
    clear_keybuf();
    while (!keypressed())
        rest(1);
    rest(250);
}

void save_screenshot(BITMAP* buffer, int text_background)
{
    PALETTE palette;
    get_palette(palette);
    save_bitmap(screenshot_name, buffer, palette);
    textout_ex(screen, font, "Screenshot saved", 2, 2, info_color, text_background);
    rest(2000);
}

}  // namespace

bool open_display(int width, int height)
{
    if (allegro_init() != 0) {
        report_failure("cannot start the Allegro library (is there an X display?)");
        std::fprintf(stderr,
                     "net_tester needs a graphical display (X11). Without one, run it on a virtual display:\n"
                     "  xvfb-run -s \"-screen 0 %dx%dx24\" net_tester\n",
                     width, height);
        return false;
    }
    if (install_keyboard() != 0) {
        report_failure("cannot use the keyboard");
        return false;
    }
    install_mouse();
    install_timer();
    set_color_depth(8);
    if (set_gfx_mode(GFX_AUTODETECT, width, height, 0, 0) != 0) {
        char what[80];
        std::snprintf(what, sizeof what, "cannot set the %d x %d 8-bit graphics mode", width, height);
        report_failure(what);
        return false;
    }
    use_c_numeric_locale();
    return true;
}

void report_failure(const char* what)
{
    if (allegro_error[0] != '\0')
        std::fprintf(stderr, "net_tester: %s: %s\n", what, allegro_error);
    else
        std::fprintf(stderr, "net_tester: %s\n", what);
}

void use_c_numeric_locale()
{
    std::setlocale(LC_NUMERIC, "C");
}

void handle_action_keys(Tester& tester, BITMAP* buffer, const volatile char* key_state)
{
    if (key_state[KEY_L])
        run_load_sequence(tester);
    if (key_state[KEY_ESC])
        show_quit_message(tester);
    if (key_state[KEY_F1])
        show_help_screen(tester);
    if (key_state[KEY_F12])
        save_screenshot(buffer, tester.text_background);
}

void draw_help_panel(BITMAP* target, int text_background)
{
    rectfill(target, 0, 0, 385, 164, help_bg_color);
    for (const HelpLine& entry : help_lines)
        textout_ex(target, font, entry.text, entry.x, entry.y, info_color, text_background);
}

void present_frame(BITMAP* buffer)
{
    vsync();
    blit(buffer, screen, 0, 0, 0, 0, SCREEN_W, SCREEN_H);
    clear_bitmap(buffer);
}
