// The shared text screens: their common lines, positions, colours and pauses.
#include "program_shell/screens.h"

#include "palette/palette.h"
#include "program_shell/program_shell.h"

#include <allegro.h>

namespace {

constexpr int message_x = 2;  // the quit and screenshot messages stand at the top-left
constexpr int message_y = 2;

}  // namespace

void draw_error_panel(BITMAP* target, const ProgramShell& shell, const ErrorPanelTexts& texts)
{
    const int background = shell.text_background;
    if (shell.first_file) {
        const TextLine lines[] = {
            {2, 10, texts.headline},
            {15, 30, "Possible reasons:"},
            {35, 42, shell.missing_line},
            {35, 54, texts.start_up_reason},
            {15, 74, "Solutions:"},
            {35, 86, shell.fix_line},
            {35, 98, "or press L and load another configuration file"},
        };
        draw_text_lines(target, lines, error_color, background);
        return;
    }

    const TextLine lines[] = {
        {2, 10, texts.headline},
        {15, 30, "Possible reasons:"},
        {35, 42, texts.loaded_file_reason},
        {35, 54, "or path contains non-english characters"},
        {15, 74, "Solutions:"},
        {35, 86, "Fix your file and reload it"},
        {35, 98, "or press L and load another configuration file"},
        {35, 110, "or in case of incorrect path move your file into"},
        {35, 122, "correct path and load again"},
    };
    const TextLine path_lines[] = {
        {15, 140, "Your selected path was:"},
        {35, 152, shell.config_path},
    };
    draw_text_lines(target, lines, error_color, background);
    draw_text_lines(target, path_lines, info_color, background);
}

void draw_help_panel(BITMAP* target, const HelpScreen& help, int text_background)
{
    rectfill(target, 0, 0, help.right, help.bottom, help_bg_color);
    draw_text_lines(target, help.lines, help.line_count, info_color, text_background);
}

void show_help(BITMAP* display, const HelpScreen& help, int text_background)
{
    draw_help_panel(display, help, text_background);
    rest(help_ignore_ms);
    clear_keybuf();
    while (!keypressed())
        rest(help.poll_pause_ms);
    rest(after_screen_pause_ms);
}

void show_quit_message(ProgramShell& shell, BITMAP* display)
{
    shell.text_background = 0;
    textout_ex(display, font, "ESC pressed, will QUIT", message_x, message_y, error_color,
               shell.text_background);
    rest(message_pause_ms);
    shell.running = false;
}

void save_screenshot(BITMAP* buffer, BITMAP* display, int text_background)
{
    PALETTE palette;
    get_palette(palette);
    save_bitmap("screenshot.bmp", buffer, palette);
    textout_ex(display, font, "Screenshot saved", message_x, message_y, info_color,
               text_background);
    rest(message_pause_ms);
}

bool choose_network_file(ProgramShell& shell, DialogSize size)
{
    const bool accepted = file_select_ex(shell.dialog_title, shell.config_path, "TXT",
                                         file_selector_path_limit, size.width, size.height) != 0;
    rest(after_screen_pause_ms);
    return accepted;
}
