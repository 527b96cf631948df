// The creature world on an Allegro bitmap: the spotlight and the creature drawn, the sensors
// reading what is drawn, and the frame creature_sim runs. Links Allegro; world.h does not.
#ifndef CREATURE_WORLD_SCENE_DRAWING_H
#define CREATURE_WORLD_SCENE_DRAWING_H

#include "creature_world/world.h"

struct BITMAP;

// Copies the spotlight's sprite onto `target` at its place, its 0 pixels transparent.
void draw_spotlight(BITMAP* target, const Spotlight& spotlight);
// Draws each sensor as a ring of radius 1 in sensor_inner_color inside a ring of radius 2 in
// sensor_outer_color.
void draw_creature(BITMAP* target, const Creature& creature);
// The creature's frame on a drawn target: reads its sensors' pixels, then acts. Does nothing
// while its network is unusable.
void step_on_target(Creature& creature, BITMAP* target);
// A frame as creature_sim draws it on the cleared `arena`: the spotlight moves and is drawn,
// the creature senses it, moves and is drawn, and the arena is cleared again.
void step_drawn(World& world, BITMAP* arena);

#endif
