// Setting the scene's palette entries on the screen: part of the drawn world, which alone
// links Allegro; the entries themselves are named in scene_colors.h.
#ifndef CREATURE_WORLD_SCENE_PALETTE_H
#define CREATURE_WORLD_SCENE_PALETTE_H

// Sets the shell colours, the file selector's colours, the two sensor rings and the grey
// ramp of the light levels, in that order.
void set_scene_palette();

#endif
