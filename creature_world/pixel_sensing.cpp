// The sensing step on drawn pixels, and the drawn frame built on it.
#include "creature_world/pixel_sensing.h"

#include "creature_world/scene_drawing.h"

#include <allegro.h>

void step_on_target(Creature& creature, BITMAP* target)
{
    if (creature.network_not_3_in_4_out)
        return;
    for (int i = 0; i < 3; ++i)
        creature.inputs[i] = Creature::light_level(getpixel(target, creature.sensor_x(i), creature.sensor_y(i)),
                                                   creature.light_base_color);
    creature.act();
}

void step_drawn(World& world, BITMAP* arena)
{
    world.spotlight.update();
    draw_spotlight(arena, world.spotlight);
    step_on_target(world.creature, arena);
    draw_creature(arena, world.creature);
    clear_bitmap(arena);
}
