// Disc filling on a light sprite, row by row along the midpoint circle.
#include "creature_world/light_sprite.h"

#include <algorithm>
#include <cstring>

namespace {

void fill_row(LightSprite& sprite, int x1, int y, int x2, unsigned char index)
{
    if (y < 0 || y >= sprite.side)
        return;
    x1 = std::max(x1, 0);
    x2 = std::min(x2, sprite.side - 1);
    if (x1 > x2)
        return;
    std::memset(&sprite.pixels[static_cast<std::size_t>(y) * sprite.side + x1], index,
                static_cast<std::size_t>(x2 - x1 + 1));
}

}  // namespace

void fill_disc(LightSprite& sprite, int cx, int cy, int radius, unsigned char index)
{
    // Walks one octant; each step fills the rows that the octant's point mirrors to.
    int dx = 0;
    int dy = radius;
    int decision = 1 - radius;
    int east_step = 3;
    int south_east_step = -2 * radius + 5;
    do {
        fill_row(sprite, cx - dy, cy - dx, cx + dy, index);
        if (dx)
            fill_row(sprite, cx - dy, cy + dx, cx + dy, index);
        if (decision < 0) {
            decision += east_step;
            east_step += 2;
            south_east_step += 2;
        } else {
            if (dx != dy) {
                fill_row(sprite, cx - dx, cy - dy, cx + dx, index);
                if (dy)
                    fill_row(sprite, cx - dx, cy + dy, cx + dx, index);
            }
            decision += south_east_step;
            east_step += 2;
            south_east_step += 4;
            --dy;
        }
        ++dx;
    } while (dx <= dy);
}
