// Start-up of an Allegro program: the library with keyboard, mouse and timer, the 8-bit
// graphics mode, the back buffer, and the report on stderr when any of them fails; or the
// library alone without a display, for memory bitmaps.
#ifndef PROGRAM_SHELL_START_UP_H
#define PROGRAM_SHELL_START_UP_H

#include "program_shell/bitmap_ptr.h"

#include <string>

// What the start-up needs to know of a program.
struct ProgramDisplay {
    const char* name;     // the program's name, which starts each line it writes to stderr
    const char* command;  // how the user started it (argv[0] or more), for the xvfb-run hint
    int width;            // the screen in pixels, 8 bits per pixel
    int height;
};

// The set-up section of a program's main: installs the library with keyboard, mouse and
// timer, sets the program's 8-bit mode, puts the numeric locale back to "C", calls
// `set_palette` to set the program's palette entries, and returns a cleared back buffer of
// the screen's size. Returns null when a step fails, after writing the library's reason
// (and, when there is no display to open, how to run on a virtual one) to stderr.
BitmapPtr start_program(const ProgramDisplay& program, void (*set_palette)());

// Writes "<name>: <what>" to stderr, with the library's reason when it gives one.
void report_failure(const ProgramDisplay& program, const char* what);

// The command line as it would be typed again in a shell, for the xvfb-run hint: a word
// with anything but letters, digits and "%+,-./:=@_" in it stands in single quotes.
std::string command_line_text(int argc, const char* const* argv);

// The keyboard set-up adopts the user's locale, which would turn 3.5 into "3,500000" on
// screen; this puts the numeric part back to "C".
void use_c_numeric_locale();

// Starts the library without a display, once per process, for 8-bit memory bitmaps only, as
// the headless tools and tests use it; false when it cannot start.
bool start_headless_graphics();

#endif
