// Motion, sprite building and drawing of the spotlight.
#include "creature_world/spotlight.h"

#include <allegro.h>

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

Spotlight::Spotlight(BITMAP* target, int light_base_color)
    : target(target), light_base_color(light_base_color)
{
    sprite = make_sprite();
    draw_x = static_cast<int>(x - radius);
    draw_y = static_cast<int>(y - radius);
    sprite_radius = radius;
}

Spotlight::Spotlight(const Spotlight& other)
    : radius(other.radius),
      x(other.x),
      y(other.y),
      vx(other.vx),
      vy(other.vy),
      target(other.target),
      light_base_color(other.light_base_color),
      draw_x(other.draw_x),
      draw_y(other.draw_y),
      sprite_radius(other.radius)
{
    sprite = make_sprite();
}

Spotlight& Spotlight::operator=(const Spotlight& other)
{
    Spotlight copy(other);
    return *this = std::move(copy);
}

BitmapPtr Spotlight::make_sprite() const
{
    BitmapPtr bitmap(create_bitmap(2 * radius, 2 * radius));
    if (!bitmap)
        return bitmap;
    clear_bitmap(bitmap.get());
    // Each smaller disc is painted over the larger one, so a pixel shows the level of the
    // smallest disc that covers it.
    for (int n = radius; n >= 1; --n)
        circlefill(bitmap.get(), radius - 1, radius - 1, n,
                   ((radius - n) * 64) / radius + light_base_color);
    return bitmap;
}

void Spotlight::rebuild_sprite()
{
    if (radius > max_radius)
        radius = max_radius;
    if (radius < 1)
        radius = 1;
    if (radius == sprite_radius)
        return;
    BitmapPtr rebuilt = make_sprite();
    if (!rebuilt) {
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
    bounce_within(x, vx, target->w);
    bounce_within(y, vy, target->h);
    draw_x = static_cast<int>(x - radius);
    draw_y = static_cast<int>(y - radius);
}

void Spotlight::draw() const
{
    if (sprite)
        draw_sprite(target, sprite.get(), draw_x, draw_y);
}
