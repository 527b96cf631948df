// The creature simulator's own parts of the shared text screens (the error panel's texts,
// the help lines, the sizes of the help panel and the file selector) and its speed message.
#ifndef CREATURE_SIM_TEXT_SCREENS_H
#define CREATURE_SIM_TEXT_SCREENS_H

#include "program_shell/program_shell.h"

#include <cstddef>

struct BITMAP;

extern const ShellScreens simulator_screens;

// Formats "speedup_factor = %f" into `text` and draws it right-aligned ending at x 625, y 8.
void draw_speed_message(BITMAP* target, char* text, std::size_t text_size,
                        double speedup_factor, int text_background);

#endif
