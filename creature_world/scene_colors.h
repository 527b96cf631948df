// Palette entries of the creature simulator's scene, beside the shell colours 90 to 94 that
// it shares with net_tester (palette/palette.h). Index 0 is the background.
#ifndef CREATURE_WORLD_SCENE_COLORS_H
#define CREATURE_WORLD_SCENE_COLORS_H

constexpr int sensor_inner_color = 95;
constexpr int sensor_outer_color = 96;
constexpr int light_base_color = 100;  // light level k is entry 100 + k, k from 0 to 63

#endif
