// Palette helpers and the shell colours that both programs share.
// Components are in Allegro's 6-bit range, 0 to 63. The header stays free of allegro.h.
#ifndef PALETTE_PALETTE_H
#define PALETTE_PALETTE_H

constexpr int error_color = 90;
constexpr int info_color = 91;
constexpr int dialog_bg_color = 92;
constexpr int dialog_fg_color = 93;
constexpr int help_bg_color = 94;

// Sets one palette entry from red, green and blue components of 0 to 63.
void set_rgb(int index, int r, int g, int b);

// Number of entries in a ramp: one per brightness level of a component, 0 to 63.
constexpr int ramp_length = 64;

// Sets ramp_length entries from `first`, rising from black to (top_r, top_g, top_b): entry
// first + k gets each top component times k / 63, rounded down. Never beyond entry 255.
void set_ramp(int first, int top_r, int top_g, int top_b);

// Sets 64 grey entries from `first`, entry first + k getting brightness k; never beyond entry 255.
void set_grey_ramp(int first);

// Sets the five shell colours (90 to 94) in the order the programs start with, and
// hands 92 and 93 to the file selector as its background and foreground.
void set_shell_colors();

#endif
