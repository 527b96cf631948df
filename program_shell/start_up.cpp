// Library, graphics mode and back buffer of a program, with its failure reports.
#include "program_shell/start_up.h"

#include "file_system/interrupted_writes.h"

#include <allegro.h>

#include <cerrno>
#include <clocale>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr int colour_depth = 8;
// The colour depth of the virtual display that the hint suggests; the program asks for 8.
constexpr int virtual_display_depth = 24;

// Without a display the library can neither start nor set a mode; say how to get one.
bool report_no_display(const ProgramDisplay& program, const char* what)
{
    report_failure(program, what);
    std::fprintf(stderr,
                 "%s needs a graphical display (X11). Without one, run it on a virtual display:\n"
                 "  xvfb-run -s \"-screen 0 %dx%dx%d\" %s\n",
                 program.name, program.width, program.height, virtual_display_depth,
                 program.command);
    return false;
}

bool open_display(const ProgramDisplay& program)
{
    if (allegro_init() != 0)
        return report_no_display(program, "cannot start the Allegro library");
    if (install_keyboard() != 0)
        return report_no_display(program, "cannot use the keyboard");
    install_mouse();
    install_timer();
    use_c_numeric_locale();
    set_color_depth(colour_depth);
    if (set_gfx_mode(GFX_AUTODETECT, program.width, program.height, 0, 0) != 0) {
        char what[80];
        std::snprintf(what, sizeof what, "cannot set the %d x %d mode with 256 colours",
                      program.width, program.height);
        return report_no_display(program, what);
    }
    use_c_numeric_locale();
    // After the library's own handlers, so that an interrupted save or screenshot leaves no
    // temporary file behind.
    remove_temporaries_on_signals();
    return true;
}

}  // namespace

BitmapPtr start_program(const ProgramDisplay& program, void (*set_palette)())
{
    if (!open_display(program))
        return nullptr;
    set_palette();
    BitmapPtr buffer(create_bitmap(SCREEN_W, SCREEN_H));
    if (!buffer) {
        report_failure(program, "cannot create the back buffer");
        return nullptr;
    }
    clear_bitmap(buffer.get());
    return buffer;
}

std::string command_line_text(int argc, const char* const* argv)
{
    std::string text;
    for (int i = 0; i < argc; ++i) {
        const std::string word = argv[i];
        const bool plain = !word.empty() && word.find_first_not_of("abcdefghijklmnopqrstuvwxyz"
                                                                   "ABCDEFGHIJKLMNOPQRSTUVWXYZ"
                                                                   "0123456789%+,-./:=@_") == std::string::npos;
        if (i > 0)
            text += ' ';
        if (plain) {
            text += word;
            continue;
        }
        text += '\'';
        for (const char c : word)
            text += c == '\'' ? std::string("'\\''") : std::string(1, c);
        text += '\'';
    }
    return text;
}

void report_failure(const ProgramDisplay& program, const char* what)
{
    if (allegro_error[0] != '\0')
        std::fprintf(stderr, "%s: %s: %s\n", program.name, what, allegro_error);
    else
        std::fprintf(stderr, "%s: %s\n", program.name, what);
}

void use_c_numeric_locale()
{
    std::setlocale(LC_NUMERIC, "C");
}

bool start_headless_graphics()
{
    static const bool started = [] {
        if (install_allegro(SYSTEM_NONE, &errno, atexit) != 0)
            return false;
        set_color_depth(8);
        return true;
    }();
    return started;
}
