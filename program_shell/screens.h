// The text screens every program shares: the error panel (drawn into the back buffer), and
// the help screen, quit message, screenshot message and file selector, which run on the
// display itself and stop the frame while they last. Each program gives its own texts.
#ifndef PROGRAM_SHELL_SCREENS_H
#define PROGRAM_SHELL_SCREENS_H

#include <cstddef>

struct BITMAP;
struct ProgramShell;

// Pauses of the screens, in milliseconds.
constexpr int help_ignore_ms = 100;       // keys pressed this soon after F1 do not end the help
constexpr int after_screen_pause_ms = 250;  // after the help and the file selector close
constexpr int message_pause_ms = 2000;    // the quit and screenshot messages stay this long

// The bytes the file selector may write into config_path; the buffer has room beyond it.
constexpr int file_selector_path_limit = 490;

// The three texts in which the programs' error panels differ.
struct ErrorPanelTexts {
    const char* headline;            // top line, what is wrong with the network
    const char* start_up_reason;     // second reason while the start-up file is in use
    const char* loaded_file_reason;  // first reason once a file was chosen in the selector
};

// A program's help screen: on a panel from (0, 0) to (right, bottom), the title "Keys:",
// then in one column the program's own key lines and the lines of the keys every program
// shares (L, F1, F12, Esc), then "Press any key to leave help". Lines of a group stand
// help_line_step apart; a group starts group_gap below the last line of the one before.
struct HelpScreen {
    int title_x;
    int title_y;
    const char* const* key_lines;  // the program's own keys, top to bottom; null starts a group
    std::size_t key_line_count;
    int group_gap;
    int right;
    int bottom;
    int poll_pause_ms;  // rest between two looks at the keyboard while waiting for a key
};

// The column of the help lines below the title, and where its first line stands.
constexpr int help_lines_x = 15;
constexpr int help_first_line_y = 30;
constexpr int help_line_step = 12;

// The size of the file selector's dialog in pixels.
struct DialogSize {
    int width;
    int height;
};

// Draws the error panel: while shell.first_file the start-up variant, which names the
// start-up file; afterwards the loaded-file variant, which shows the chosen config_path.
void draw_error_panel(BITMAP* target, const ProgramShell& shell, const ErrorPanelTexts& texts);

// Draws the help panel and its lines onto `target`.
void draw_help_panel(BITMAP* target, const HelpScreen& help, int text_background);

// Draws the help panel on `display`, then waits for a key; the F1 press itself, and any key
// of the first help_ignore_ms, does not end it. The ending key stays in the keyboard buffer.
void show_help(BITMAP* display, const HelpScreen& help, int text_background);

// Shows the quit message on `display` with an opaque background from now on, pauses, and
// ends the program's loop after the current frame.
void show_quit_message(ProgramShell& shell, BITMAP* display);

// Writes `bitmap` with the current palette as a BMP file at `path`, replacing an older file
// only once the new one is complete; false, the older file untouched, when it cannot.
bool write_bitmap_file(BITMAP* bitmap, const char* path);

// Writes `buffer` to "screenshot.bmp" in the working directory as write_bitmap_file does,
// then shows "Screenshot saved", or in the error colour that it could not be saved, on
// `display` and pauses.
void save_screenshot(BITMAP* buffer, BITMAP* display, int text_background);

// Runs the modal file selector on the display, editing config_path in place, then pauses;
// true when the user accepted a file. What an accepted file means is the program's business.
bool choose_network_file(ProgramShell& shell, DialogSize size);

#endif
