// Start-up of the library for the creature simulator: input handlers, graphics mode and the
// locale that keeps the numbers on screen the same for every user.
#ifndef CREATURE_SIM_SETUP_H
#define CREATURE_SIM_SETUP_H

constexpr int screen_width = 640;
constexpr int screen_height = 480;

// Installs the library with keyboard, mouse and timer; false when the library cannot start.
bool start_library();

// The keyboard set-up adopts the user's locale, which would turn 3.5 into "3,500000" on
// screen; this puts the numeric part back to "C".
void use_c_numeric_locale();

// Sets the 640 x 480 mode with 8 bits per pixel and transparent text; false when it
// cannot be set, with the reason in allegro_error.
bool open_graphics_mode();

#endif
