// Drawing the spotlight and the creature's sensors on Allegro bitmaps.
#include "creature_world/scene_drawing.h"

#include "creature_world/scene_colors.h"

#include <allegro.h>

#include <algorithm>

void draw_spotlight(BITMAP* target, const Spotlight& spotlight)
{
    const LightSprite& sprite = spotlight.sprite;
    const int first_x = std::max(0, -spotlight.draw_x);
    const int first_y = std::max(0, -spotlight.draw_y);
    const int end_x = std::min(sprite.side, target->w - spotlight.draw_x);
    const int end_y = std::min(sprite.side, target->h - spotlight.draw_y);
    for (int sy = first_y; sy < end_y; ++sy)
        for (int sx = first_x; sx < end_x; ++sx) {
            const int index = sprite.at(sx, sy);
            if (index != 0)
                putpixel(target, spotlight.draw_x + sx, spotlight.draw_y + sy, index);
        }
}

void draw_creature(BITMAP* target, const Creature& creature)
{
    for (int i = 0; i < 3; ++i) {
        circle(target, creature.sensor_x(i), creature.sensor_y(i), 1, sensor_inner_color);
        circle(target, creature.sensor_x(i), creature.sensor_y(i), 2, sensor_outer_color);
    }
}
