// The creature world drawn on an Allegro bitmap: the spotlight and the creature's sensors;
// pixel_sensing.h steps the creature on what is drawn. Links Allegro; world.h does not.
#ifndef CREATURE_WORLD_SCENE_DRAWING_H
#define CREATURE_WORLD_SCENE_DRAWING_H

#include "creature_world/creature.h"
#include "creature_world/spotlight.h"

struct BITMAP;

// Copies the spotlight's sprite onto `target` at its place, its 0 pixels transparent.
void draw_spotlight(BITMAP* target, const Spotlight& spotlight);
// Draws each sensor as a ring of radius 1 in sensor_inner_color inside a ring of radius 2 in
// sensor_outer_color.
void draw_creature(BITMAP* target, const Creature& creature);

#endif
