// The state every program's main loop keeps beside its own (the network file in use, the
// texts that name it, the loop flag), the program's own parts of the shared screens, and
// the frame steps every program takes alike: the action keys and presenting the frame.
// A program's shell derives from ProgramShell and reads and changes its fields directly.
#ifndef PROGRAM_SHELL_PROGRAM_SHELL_H
#define PROGRAM_SHELL_PROGRAM_SHELL_H

#include "program_shell/screens.h"

struct BITMAP;

// Sizes of the shell's texts, terminator included.
constexpr int config_path_size = 524;
constexpr int dialog_title_size = 32;
constexpr int missing_line_size = 172;
constexpr int fix_line_size = 160;

struct ProgramShell {
    char config_path[config_path_size] = "config_generated.txt";  // network file in use
    char dialog_title[dialog_title_size] = "Load new configuration file";
    char missing_line[missing_line_size] = "";  // built once from the start-up path
    char fix_line[fix_line_size] = "";          // built once from the start-up path
    bool first_file = true;    // until a file is accepted in the file selector
    bool running = true;       // the quit key clears it
    int text_background = -1;  // transparent until the quit key, then palette index 0
};

// Builds missing_line and fix_line from config_path, each cut to its buffer; called once at
// start-up, so that they always name the start-up file.
void name_start_up_file(ProgramShell& shell);

// A program's own parts of the shared screens.
struct ShellScreens {
    ErrorPanelTexts error_panel;
    HelpScreen help;
    DialogSize file_selector;
};

// The keys every program answers alike.
enum class ShellKey { load, quit, help, screenshot };

// Whether `key` is held in `keys`, a table indexed by the library's key codes.
bool shell_key_held(const volatile char* keys, ShellKey key);

// The action keys of a frame, each looked at when its turn comes, acting in every frame in
// which it is held: L runs the file selector and calls `load_file` when a file was
// accepted; Esc shows the quit message and ends the loop after this frame; F1 shows the
// help; F12 saves `buffer` as the screenshot. `after_pause` runs after each of the file
// selector, the help and the screenshot, which stop the world while they last.
template <class LoadFile, class AfterPause>
void handle_shell_keys(ProgramShell& shell, const ShellScreens& screens, BITMAP* buffer,
                       BITMAP* display, const volatile char* keys, LoadFile load_file,
                       AfterPause after_pause)
{
    if (shell_key_held(keys, ShellKey::load)) {
        if (choose_network_file(shell, screens.file_selector))
            load_file();
        after_pause();
    }
    if (shell_key_held(keys, ShellKey::quit))
        show_quit_message(shell, display);
    if (shell_key_held(keys, ShellKey::help)) {
        show_help(display, screens.help, shell.text_background);
        after_pause();
    }
    if (shell_key_held(keys, ShellKey::screenshot)) {
        save_screenshot(buffer, display, shell.text_background);
        after_pause();
    }
}

// Waits for the retrace, copies the buffer to the display and clears the buffer.
void present_frame(BITMAP* buffer, BITMAP* display);

#endif
