// Texts and sizes of net_tester's text screens, and its action keys.
#include "net_tester/screens.h"

#include "net_tester/tester.h"

namespace {

const TextLine help_lines[] = {
    {5, 8, "Keys:"},
    {15, 30, "1 + mouse up/down  - change first input"},
    {15, 42, "2 + mouse up/down  - change second input"},
    {15, 54, ".. + mouse up/down - change .. input"},
    {15, 78, "L   - load network"},
    {15, 102, "F1  - this help"},
    {15, 114, "F12 - save screenshot (does NOT work in menus)"},
    {15, 126, "Esc - quit program"},
    {15, 150, "Press any key to leave help"},
};

}  // namespace

const ShellScreens tester_screens = {
    // Any network with an input is shown, so the texts say nothing of the counts.
    {"Network has no inputs!", "or is incorrect", "Loaded file is incorrect"},
    {help_lines, sizeof help_lines / sizeof help_lines[0], 385, 164, 1},
    {450, 500},
};

void handle_action_keys(Tester& tester, BITMAP* buffer, BITMAP* display,
                        const volatile char* key_state)
{
    // An accepted file replaces the whole network.
    handle_shell_keys(tester, tester_screens, buffer, display, key_state,
                      [&tester] { accept_selected_file(tester); }, [] {});
}
