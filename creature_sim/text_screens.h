// The text screens of the creature simulator: the error panel (drawn into the back buffer),
// the speed message, and the help screen, quit and screenshot messages and file selector,
// which run on the display itself. `text_background` is -1 (transparent) or a palette index.
#ifndef CREATURE_SIM_TEXT_SCREENS_H
#define CREATURE_SIM_TEXT_SCREENS_H

#include <cstddef>

struct BITMAP;

// Explains an unusable network: the start-up variant names the start-up file; the
// loaded-file variant shows the path chosen in the file selector.
void draw_start_up_error_panel(BITMAP* target, const char* missing_line, const char* fix_line,
                               int text_background);
void draw_loaded_file_error_panel(BITMAP* target, const char* config_path, int text_background);

// Formats "speedup_factor = %f" into `text` and draws it right-aligned ending at x 625, y 8.
void draw_speed_message(BITMAP* target, char* text, std::size_t text_size,
                        double speedup_factor, int text_background);

// The modal file selector on the display, editing `path` in place; true when a file was accepted.
bool select_network_file(const char* title, char* path);

// Shows the key help on `display` and waits for any key after the first 100 ms.
void show_help(BITMAP* display, int text_background);

// "ESC pressed, will QUIT" on `display`, then a 2-second pause.
void show_quit_message(BITMAP* display, int text_background);

// Writes `buffer` with the current palette to "screenshot.bmp" in the working directory,
// then shows "Screenshot saved" on `display` for 2 seconds.
void save_screenshot(BITMAP* buffer, BITMAP* display, int text_background);

#endif
