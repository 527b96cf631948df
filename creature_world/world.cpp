// Stepping the world with the sensors read straight from the spotlight's sprite.
#include "creature_world/world.h"

#include "creature_world/scene_colors.h"

World::World(const Network& network)
    : spotlight(width, height, light_base_color),
      creature(width, height, light_base_color, nullptr)
{
    creature.use_network(network);
}

void World::step_sensed()
{
    spotlight.update();
    if (creature.network_not_3_in_4_out)
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

int lit_pixel(const Spotlight& spotlight, int px, int py, int arena_width, int arena_height)
{
    if (px < 0 || py < 0 || px >= arena_width || py >= arena_height)
        return -1;
    const LightSprite& sprite = spotlight.sprite;
    // Differences of ints on and near the screen: the sprite is at most a few thousand wide.
    const long sx = static_cast<long>(px) - spotlight.draw_x;
    const long sy = static_cast<long>(py) - spotlight.draw_y;
    if (sx < 0 || sy < 0 || sx >= sprite.side || sy >= sprite.side)
        return 0;
    return sprite.at(static_cast<int>(sx), static_cast<int>(sy));
}
