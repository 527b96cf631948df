// net_tester's set-up and the frame steps that stop the loop or write on the screen:
// file selector, quit message, help screen, screenshot, and showing the finished frame.
#ifndef NET_TESTER_SCREENS_H
#define NET_TESTER_SCREENS_H

struct BITMAP;
struct Tester;

// Installs the library, keyboard, mouse and timer and opens the 8-bit mode of the given
// size. On failure writes the library's reason to stderr and returns false.
bool open_display(int width, int height);

// Writes "net_tester: " and `what` to stderr, with the library's reason when it gives one.
void report_failure(const char* what);

// Puts number formatting back to the "C" locale, which the keyboard set-up changes to the
// user's: values must read 0.500000 on every machine.
void use_c_numeric_locale();

// Frame steps after the digit keys: L, Esc, F1 and F12, each while its key is held.
void handle_action_keys(Tester& tester, BITMAP* buffer, const volatile char* key_state);

// The key list of the help screen, on its own panel in the top-left corner.
void draw_help_panel(BITMAP* target, int text_background);

// Waits for the frame's retrace, shows `buffer` on the screen and clears it for the next frame.
void present_frame(BITMAP* buffer);

#endif
