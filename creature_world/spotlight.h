// The spotlight: a disc of 64 grey light levels that drifts over the target and bounces
// at its edges. Owns its pre-drawn sprite, rebuilt when the radius changes.
#ifndef CREATURE_WORLD_SPOTLIGHT_H
#define CREATURE_WORLD_SPOTLIGHT_H

#include "program_shell/bitmap_ptr.h"

struct BITMAP;

class Spotlight {
public:
    // Largest radius: wherever the light stands on a 640 x 480 screen, even beyond a corner,
    // the disc still reaches the opposite corner (the diagonal is 800), while a rebuild
    // stays bounded in time and memory.
    static constexpr int max_radius = 810;

    Spotlight(BITMAP* target, int light_base_color);
    // A copy builds its own sprite for the copied radius.
    Spotlight(const Spotlight& other);
    Spotlight& operator=(const Spotlight& other);
    Spotlight(Spotlight&&) = default;
    Spotlight& operator=(Spotlight&&) = default;
    ~Spotlight() = default;

    // One frame: rebuilds the sprite if the radius changed, moves, bounces at the edges.
    void update();
    // Copies the sprite onto the target, its 0 pixels transparent.
    void draw() const;
    // A new sprite for the current radius: 2 * radius square, levels rising to the centre
    // at (radius - 1, radius - 1). Null when the bitmap cannot be created.
    BitmapPtr make_sprite() const;

    int radius = 64;
    double x = 100.0;
    double y = 100.0;
    double vx = 1.0;
    double vy = 1.0;
    BITMAP* target;  // not owned
    BitmapPtr sprite;
    int light_base_color;
    int draw_x;
    int draw_y;
    int sprite_radius;  // the radius the current sprite was built for

private:
    void rebuild_sprite();
};

#endif
