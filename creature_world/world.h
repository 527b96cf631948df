// A creature and a spotlight on a 640 x 480 arena, stepped as creature_sim steps them in a
// frame with no key or button held, with the sensors reading the spotlight's sprite. Needs no
// graphics library; scene_drawing.h draws the same world on an Allegro bitmap and
// pixel_sensing.h steps it there.
#ifndef CREATURE_WORLD_WORLD_H
#define CREATURE_WORLD_WORLD_H

#include "creature_world/creature.h"
#include "creature_world/spotlight.h"

class Network;

class World {
public:
    static constexpr int width = 640;
    static constexpr int height = 480;

    // The creature starts at the middle with a copy of `network`, the spotlight where
    // creature_sim starts it.
    explicit World(const Network& network);

    // One frame: the spotlight moves, the creature senses it and moves. Gives the drawn
    // frame's positions to the last bit.
    void step_sensed();
    // Fills the creature's inputs as step_sensed does, from the current positions.
    void sense_from_sprite();

    Spotlight spotlight;
    Creature creature;
};

// The palette index a cleared arena shows at (px, py) once `spotlight` has been drawn on it:
// its sprite's pixel there, 0 beyond the sprite, -1 beyond the arena.
int lit_pixel(const Spotlight& spotlight, int px, int py, int arena_width, int arena_height);

#endif
