// Sensing, motion and drawing of the creature.
#include "creature_world/creature.h"

#include <allegro.h>

#include <cmath>

Creature::Creature(BITMAP* target, int sensor_inner_color, int sensor_outer_color,
                   int light_base_color, const char* path)
    : x(target->w / 2),
      y(target->h / 2),
      sensor_inner_color(sensor_inner_color),
      sensor_outer_color(sensor_outer_color),
      target(target),
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
      sensor_inner_color(other.sensor_inner_color),
      sensor_outer_color(other.sensor_outer_color),
      network_incorrect(other.network_incorrect),
      target(other.target),
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
    network_incorrect = !(network->input_count() == 3 && network->output_count() == 4);
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

void Creature::step()
{
    if (network_incorrect)
        return;
    for (int i = 0; i < 3; ++i)
        inputs[i] = light_level(getpixel(target, sensor_x(i), sensor_y(i)), light_base_color);
    act();
}

void Creature::act()
{
    if (network_incorrect)
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
    keep_sensors_on_target();
}

void Creature::keep_sensors_on_target()
{
    const int width = target->w;
    const int height = target->h;
    if (x + sensors[0].dx < 0)
        x = -sensors[0].dx;
    if (x + sensors[2].dx > width - 1)
        x = width - sensors[2].dx - 1;
    if (y + sensors[1].dy < 0)
        y = -sensors[1].dy;
    if (y + sensors[0].dy > height - 1)
        y = height - sensors[0].dy - 1;
}

void Creature::draw() const
{
    for (int i = 0; i < 3; ++i) {
        circle(target, sensor_x(i), sensor_y(i), 1, sensor_inner_color);
        circle(target, sensor_x(i), sensor_y(i), 2, sensor_outer_color);
    }
}
