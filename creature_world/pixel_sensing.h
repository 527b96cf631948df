// The creature's sensors reading the pixels drawn on an Allegro bitmap, and the frame
// creature_sim runs with them. Links Allegro; world.h senses the same world without it.
#ifndef CREATURE_WORLD_PIXEL_SENSING_H
#define CREATURE_WORLD_PIXEL_SENSING_H

#include "creature_world/world.h"

struct BITMAP;

// The creature's frame on a drawn target: reads its sensors' pixels, then acts. Does nothing
// while its network is unusable.
void step_on_target(Creature& creature, BITMAP* target);
// A frame as creature_sim draws it on the cleared `arena`: the spotlight moves and is drawn,
// the creature senses it, moves and is drawn, and the arena is cleared again.
void step_drawn(World& world, BITMAP* arena);

#endif
