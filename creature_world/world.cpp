// Stepping the world, drawn or read straight from the spotlight's sprite.
#include "creature_world/world.h"

#include "creature_world/scene_colors.h"

#include <allegro.h>

World::World(const Network& network)
    : arena(create_bitmap(width, height)),
      spotlight(arena.get(), light_base_color),
      creature(arena.get(), sensor_inner_color, sensor_outer_color, light_base_color, nullptr)
{
    clear_bitmap(arena.get());
    creature.use_network(network);
}

void World::step_drawn()
{
    spotlight.update();
    spotlight.draw();
    creature.step();
    creature.draw();
    clear_bitmap(arena.get());
}

void World::step_sensed()
{
    spotlight.update();
    if (creature.network_incorrect)
        return;
    sense_from_sprite();
    creature.act();
}

void World::sense_from_sprite()
{
    for (int i = 0; i < 3; ++i) {
        const int pixel = lit_pixel(spotlight, creature.sensor_x(i), creature.sensor_y(i), width, height);
        creature.inputs[i] = Creature::light_level(pixel, light_base_color);
    }
}

int lit_pixel(const Spotlight& spotlight, int px, int py, int target_width, int target_height)
{
    if (px < 0 || py < 0 || px >= target_width || py >= target_height)
        return -1;
    const BITMAP* sprite = spotlight.sprite.get();
    if (!sprite)
        return 0;
    // Differences of ints on and near the screen: the sprite is at most a few thousand wide.
    const long sx = static_cast<long>(px) - spotlight.draw_x;
    const long sy = static_cast<long>(py) - spotlight.draw_y;
    if (sx < 0 || sy < 0 || sx >= sprite->w || sy >= sprite->h)
        return 0;
    return sprite->line[sy][sx];
}
