// The spotlight's picture as palette indices, 0 where there is no light, and the disc filling
// that builds it pixel for pixel as the Allegro programs draw it.
#ifndef CREATURE_WORLD_LIGHT_SPRITE_H
#define CREATURE_WORLD_LIGHT_SPRITE_H

#include <vector>

struct LightSprite {
    int side = 0;                       // width and height
    std::vector<unsigned char> pixels;  // row after row

    bool empty() const { return side == 0; }
    int at(int sx, int sy) const { return pixels[static_cast<std::size_t>(sy) * side + sx]; }
};

// Fills the disc of `radius` round (cx, cy) with `index`, clipped to the sprite: the rows of
// the midpoint circle, the same pixels as Allegro 4's circlefill.
void fill_disc(LightSprite& sprite, int cx, int cy, int radius, unsigned char index);

#endif
