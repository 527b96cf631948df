// The spotlight: a disc of 64 grey light levels that drifts over the arena and bounces at its
// edges. Owns its pre-computed sprite, rebuilt when the radius changes. Needs no graphics library.
#ifndef CREATURE_WORLD_SPOTLIGHT_H
#define CREATURE_WORLD_SPOTLIGHT_H

#include "creature_world/light_sprite.h"

class Spotlight {
public:
    // Largest radius: wherever the light stands on a 640 x 480 screen, even beyond a corner,
    // the disc still reaches the opposite corner (the diagonal is 800), while a rebuild
    // stays bounded in time and memory.
    static constexpr int max_radius = 810;

    // Moves within an arena of the given size; light level k shows palette entry
    // light_base_color + k.
    Spotlight(int arena_width, int arena_height, int light_base_color);

    // One frame: rebuilds the sprite if the radius changed, moves, bounces at the edges.
    void update();
    // A new sprite for the current radius: 2 * radius square, levels rising to the centre
    // at (radius - 1, radius - 1). Empty when it does not fit in memory.
    LightSprite make_sprite() const;

    int radius = 64;
    double x = 100.0;
    double y = 100.0;
    double vx = 1.0;
    double vy = 1.0;
    int arena_width;
    int arena_height;
    LightSprite sprite;
    int light_base_color;
    int draw_x;  // where the sprite's top left corner lands on the arena
    int draw_y;
    int sprite_radius;  // the radius the current sprite was built for

private:
    void rebuild_sprite();
};

#endif
