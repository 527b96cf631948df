// The shell state's start-up texts, the action keys, and presenting a frame.
#include "program_shell/program_shell.h"

#include <allegro.h>

#include <cstddef>
#include <cstdio>

namespace {

// Writes `before`, `path` and `after` into `line`, cut to its size, so that a long path
// still shows its beginning; empty when the text cannot be formatted at all.
template <std::size_t size>
void name_path(char (&line)[size], const char* before, const char* path, const char* after)
{
    if (std::snprintf(line, size, "%s%s%s", before, path, after) < 0)
        line[0] = '\0';
}

}  // namespace

void name_start_up_file(ProgramShell& shell)
{
    name_path(shell.missing_line, "File ", shell.config_path, " is missing");
    name_path(shell.fix_line, "Quit, fix ", shell.config_path, " and restart program");
}

bool shell_key_held(const volatile char* keys, ShellKey key)
{
    switch (key) {
    case ShellKey::load:
        return keys[KEY_L] != 0;
    case ShellKey::quit:
        return keys[KEY_ESC] != 0;
    case ShellKey::help:
        return keys[KEY_F1] != 0;
    case ShellKey::screenshot:
        return keys[KEY_F12] != 0;
    }
    return false;
}

void present_frame(BITMAP* buffer, BITMAP* display)
{
    vsync();
    blit(buffer, display, 0, 0, 0, 0, buffer->w, buffer->h);
    clear_bitmap(buffer);
}
