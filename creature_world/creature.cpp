// The creature's network, motion and bounds.
#include "creature_world/creature.h"

#include <cmath>

Creature::Creature(int arena_width, int arena_height, int light_base_color, const char* path)
    : x(arena_width / 2),
      y(arena_height / 2),
      arena_width(arena_width),
      arena_height(arena_height),
      inputs(3, 0.0),
      outputs(4, 0.0),
      sensors{{-4, 3}, {0, -5}, {4, 3}},
      light_base_color(light_base_color)
{
    load_network(path);
}

Creature::Creature(const Creature& other)
    : x(other.x),
      y(other.y),
      vx(other.vx),
      vy(other.vy),
      speedup_factor(other.speedup_factor),
      network_not_3_in_4_out(other.network_not_3_in_4_out),
      arena_width(other.arena_width),
      arena_height(other.arena_height),
      network(std::make_unique<Network>(*other.network)),
      inputs(other.inputs),
      outputs(other.outputs),
      sensors(other.sensors),
      light_base_color(other.light_base_color)
{
}

Creature& Creature::operator=(const Creature& other)
{
    Creature copy(other);
    return *this = std::move(copy);
}

Creature::~Creature() = default;

void Creature::load_network(const char* path)
{
    // The old network goes first, so two large networks never live at once.
    network.reset();
    network = std::make_unique<Network>(path);
    check_network();
}

void Creature::check_network()
{
    network_not_3_in_4_out = !(network->input_count() == 3 && network->output_count() == 4);
}

void Creature::use_network(const Network& source)
{
    network.reset();
    network = std::make_unique<Network>(source);
    check_network();
}

double Creature::light_level(int palette_index, int light_base_color)
{
    // Everything below the grey ramp (background, texts, rings, -1 off the target) is dark.
    int level = palette_index - light_base_color;
    if (level < 0)
        level = 0;
    if (level > 64)
        level = 64;
    return level / 64.0;
}

int Creature::sensor_x(int index) const
{
    return static_cast<int>(x) + sensors[index].dx;
}

int Creature::sensor_y(int index) const
{
    return static_cast<int>(y) + sensors[index].dy;
}

void Creature::act()
{
    if (network_not_3_in_4_out)
        return;
    network->set_inputs(inputs);
    network->evaluate();
    network->get_outputs(outputs);

    // Output 0 pulls left, 1 right, 2 up, 3 down.
    vx = (outputs[1] - outputs[0]) * speedup_factor;
    vy = (outputs[3] - outputs[2]) * speedup_factor;
    // A slope of 0 times an infinite weighted sum gives outputs that are not numbers; such a
    // network holds the creature still rather than carry it to no position at all.
    if (std::isnan(vx))
        vx = 0.0;
    if (std::isnan(vy))
        vy = 0.0;
    x += vx;
    y += vy;
    keep_sensors_on_arena();
}

void Creature::keep_sensors_on_arena()
{
    const int width = arena_width;
    const int height = arena_height;
    if (x + sensors[0].dx < 0)
        x = -sensors[0].dx;
    if (x + sensors[2].dx > width - 1)
        x = width - sensors[2].dx - 1;
    if (y + sensors[1].dy < 0)
        y = -sensors[1].dy;
    if (y + sensors[0].dy > height - 1)
        y = height - sensors[0].dy - 1;
}
