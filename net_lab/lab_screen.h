// Where net_lab draws what: the network on the left, the maps or the pattern table on the
// right, the learning curve below the network and the figures below the maps.
#ifndef NET_LAB_LAB_SCREEN_H
#define NET_LAB_LAB_SCREEN_H

struct BITMAP;
struct Lab;

constexpr int lab_screen_width = 800;
constexpr int lab_screen_height = 600;
// The network is laid out in the top-left box of this size.
constexpr int network_area_width = 500;
constexpr int network_area_height = 380;

// Palette entries of net_lab's own drawing.
constexpr int map_ramp_base = 20;  // 64 entries
constexpr int dot_ring_color = 84;
constexpr int worst_color = 85;
constexpr int mean_squared_color = 86;
constexpr int limit_color = 87;
constexpr int frame_color = 88;
constexpr int label_color = 89;
// After the shell's entries, below the view's.
constexpr int held_out_worst_color = 95;
constexpr int held_out_mean_squared_color = 96;

// Sets the palette entries net_lab draws with, besides the view's and the shell's.
void set_lab_colors();

// Draws the whole picture of a frame onto `buffer`.
void draw_lab(Lab& lab, BITMAP* buffer);

#endif
