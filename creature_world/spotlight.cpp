// Motion and sprite building of the spotlight.
#include "creature_world/spotlight.h"

#include <new>

namespace {

// Holds one coordinate within 0 and `limit`, turning its velocity round at either end.
void bounce_within(double& position, double& velocity, int limit)
{
    if (position < 0) {
        position = 0;
        velocity = -velocity;
    }
    if (position > limit) {
        position = limit;
        velocity = -velocity;
    }
}

}  // namespace

Spotlight::Spotlight(int arena_width, int arena_height, int light_base_color)
    : arena_width(arena_width), arena_height(arena_height), light_base_color(light_base_color)
{
    sprite = make_sprite();
    draw_x = static_cast<int>(x - radius);
    draw_y = static_cast<int>(y - radius);
    sprite_radius = radius;
}

LightSprite Spotlight::make_sprite() const
{
    LightSprite made;
    try {
        made.pixels.assign(static_cast<std::size_t>(2 * radius) * (2 * radius), 0);
    } catch (const std::bad_alloc&) {
        return made;
    }
    made.side = 2 * radius;
    // Each smaller disc is painted over the larger one, so a pixel shows the level of the
    // smallest disc that covers it.
    for (int n = radius; n >= 1; --n)
        fill_disc(made, radius - 1, radius - 1, n,
                  static_cast<unsigned char>(((radius - n) * 64) / radius + light_base_color));
    return made;
}

void Spotlight::rebuild_sprite()
{
    if (radius > max_radius)
        radius = max_radius;
    if (radius < 1)
        radius = 1;
    if (radius == sprite_radius)
        return;
    LightSprite rebuilt = make_sprite();
    if (rebuilt.empty()) {
        // Out of memory: keep the light as it was rather than lose it.
        radius = sprite_radius;
        return;
    }
    sprite = std::move(rebuilt);
    sprite_radius = radius;
}

void Spotlight::update()
{
    if (radius != sprite_radius)
        rebuild_sprite();
    x += vx;
    y += vy;
    // The bounds are the width and height themselves, one beyond the last pixel.
    bounce_within(x, vx, arena_width);
    bounce_within(y, vy, arena_height);
    draw_x = static_cast<int>(x - radius);
    draw_y = static_cast<int>(y - radius);
}
