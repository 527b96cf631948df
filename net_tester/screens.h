// net_tester's own parts of the shared text screens (the error panel's texts, the help
// lines, the sizes of the help panel and the file selector) and its action keys.
#ifndef NET_TESTER_SCREENS_H
#define NET_TESTER_SCREENS_H

#include "program_shell/program_shell.h"

struct BITMAP;
struct Tester;

extern const ShellScreens tester_screens;

// Frame steps after the digit keys: L, Esc, F1 and F12, each while its key is held; the
// screens outside the back buffer go to `display`.
void handle_action_keys(Tester& tester, BITMAP* buffer, BITMAP* display,
                        const volatile char* key_state);

#endif
