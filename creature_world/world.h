// A creature and a spotlight on a 640 x 480 memory bitmap, stepped as creature_sim steps them
// in a frame with no key or button held. The arena bitmap is the world's own.
#ifndef CREATURE_WORLD_WORLD_H
#define CREATURE_WORLD_WORLD_H

#include "program_shell/bitmap_ptr.h"
#include "program_shell/start_up.h"
#include "creature_world/creature.h"
#include "creature_world/spotlight.h"

class Network;

class World {
public:
    static constexpr int width = 640;
    static constexpr int height = 480;

    // Needs start_headless_graphics(). The creature starts at the middle with a copy of
    // `network`, the spotlight where creature_sim starts it.
    explicit World(const Network& network);

    // A frame as creature_sim draws it: the spotlight moves and is drawn on the cleared arena,
    // the creature senses it, moves and is drawn, and the arena is cleared again.
    void step_drawn();
    // The same frame without drawing: the sensors read the spotlight's sprite where the drawn
    // frame would have put it. Gives the drawn frame's positions to the last bit.
    void step_sensed();
    // Fills the creature's inputs as step_sensed does, from the current positions.
    void sense_from_sprite();

    BitmapPtr arena;
    Spotlight spotlight;
    Creature creature;
};

// The palette index a cleared target shows at (px, py) once `spotlight` has been drawn on it:
// its sprite's pixel there, 0 beyond the sprite, -1 beyond the target.
int lit_pixel(const Spotlight& spotlight, int px, int py, int target_width, int target_height);

#endif
