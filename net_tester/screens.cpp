// Texts and sizes of net_tester's text screens, and its action keys.
#include "net_tester/screens.h"

#include "net_tester/tester.h"

namespace {

const char* const key_lines[] = {
    "1 + mouse up/down  - change first input",
    "2 + mouse up/down  - change second input",
    ".. + mouse up/down - change .. input",
};

}  // namespace

const ShellScreens tester_screens = {
    // Error panel: the headline, the start-up variant's second reason, the loaded-file
    // variant's first reason. Any network with an input is shown, so they say nothing of
    // the counts.
    {"Network has no inputs!", "or is incorrect", "Loaded file is incorrect"},
    // Help: title at (5, 8), groups 24 apart, panel to (385, 164), 1 ms between looks at
    // the keyboard.
    {5, 8, key_lines, sizeof key_lines / sizeof key_lines[0], 24, 385, 164, 1},
    {450, 500},  // file selector
};

void handle_action_keys(Tester& tester, BITMAP* buffer, BITMAP* display,
                        const volatile char* key_state)
{
    // An accepted file replaces the whole network.
    handle_shell_keys(tester, tester_screens, buffer, display, key_state,
                      [&tester] { accept_selected_file(tester); }, [] {});
}
