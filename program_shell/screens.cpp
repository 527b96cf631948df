// The shared text screens: their common lines, positions, colours and pauses.
#include "program_shell/screens.h"

#include "palette/palette.h"
#include "program_shell/program_shell.h"
#include "program_shell/text_lines.h"

#include "file_system/atomic_file.h"

#include <allegro.h>

#include <cstdio>
#include <new>
#include <string>

namespace {

constexpr int message_x = 2;  // the quit and screenshot messages stand at the top-left
constexpr int message_y = 2;

// The help lines of the keys every program shares, after the program's own; null starts a
// new group.
const char* const shell_key_lines[] = {
    nullptr,
    "L   - load network",
    nullptr,
    "F1  - this help",
    "F12 - save screenshot (does NOT work in menus)",
    "Esc - quit program",
    nullptr,
    "Press any key to leave help",
};

// A write-only packfile that appends to memory, so that a picture can be encoded there and
// then written atomically. Running out of memory is noted, not thrown through the library.
struct EncodedBytes {
    std::string bytes;
    bool failed = false;
};

long append_bytes(const void* p, long n, void* userdata)
{
    auto& target = *static_cast<EncodedBytes*>(userdata);
    try {
        target.bytes.append(static_cast<const char*>(p), static_cast<std::size_t>(n));
    } catch (const std::bad_alloc&) {
        target.failed = true;
        return 0;
    }
    return n;
}

int append_byte(int c, void* userdata)
{
    const char byte = static_cast<char>(c);
    return append_bytes(&byte, 1, userdata) == 1 ? c : EOF;
}

int close_bytes(void*) { return 0; }
int no_getc(void*) { return EOF; }
int no_ungetc(int, void*) { return EOF; }
long no_fread(void*, long, void*) { return 0; }
int no_fseek(void*, int) { return -1; }
int at_end(void*) { return 1; }
int no_error(void*) { return 0; }

PACKFILE_VTABLE bytes_writer = {close_bytes, no_getc,      no_ungetc, no_fread, append_byte,
                                append_bytes, no_fseek,     at_end,    no_error};

// Draws one column of help lines from `y` on; returns where the next line would stand.
int draw_help_column(BITMAP* target, const HelpScreen& help, const char* const* lines,
                     std::size_t count, int y, int text_background)
{
    for (std::size_t i = 0; i < count; ++i) {
        if (lines[i] == nullptr) {
            y += help.group_gap - help_line_step;
            continue;
        }
        textout_ex(target, font, lines[i], help_lines_x, y, info_color, text_background);
        y += help_line_step;
    }
    return y;
}

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
    textout_ex(target, font, "Keys:", help.title_x, help.title_y, info_color, text_background);
    const int y = draw_help_column(target, help, help.key_lines, help.key_line_count,
                                   help_first_line_y, text_background);
    draw_help_column(target, help, shell_key_lines,
                     sizeof shell_key_lines / sizeof shell_key_lines[0], y, text_background);
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

bool write_bitmap_file(BITMAP* bitmap, const char* path)
{
    PALETTE palette;
    get_palette(palette);
    EncodedBytes encoded;
    PACKFILE* file = pack_fopen_vtable(&bytes_writer, &encoded);
    if (file == nullptr)
        return false;
    const bool saved = save_bmp_pf(file, bitmap, palette) == 0;
    pack_fclose(file);
    std::string reason;
    return saved && !encoded.failed && write_file_atomically(path, encoded.bytes, reason);
}

void save_screenshot(BITMAP* buffer, BITMAP* display, int text_background)
{
    const bool saved = write_bitmap_file(buffer, "screenshot.bmp");
    textout_ex(display, font, saved ? "Screenshot saved" : "Screenshot could not be saved", message_x, message_y,
               saved ? info_color : error_color, text_background);
    rest(message_pause_ms);
}

bool choose_network_file(ProgramShell& shell, DialogSize size)
{
    const bool accepted = file_select_ex(shell.dialog_title, shell.config_path, "TXT",
                                         file_selector_path_limit, size.width, size.height) != 0;
    rest(after_screen_pause_ms);
    return accepted;
}
