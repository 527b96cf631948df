// The standard scenarios and the frame loop through one of them.
#include "creature_evolution/scenarios.h"

#include <cmath>
#include <new>

namespace {

// At 60 frames per second the spotlight jumps every three seconds.
constexpr int jump_interval = 180;
// A jump lands at most this far from the creature: within its sensors' reach or just beyond.
constexpr double jump_reach = 100.0;
// Still scenarios start the creature this far from the light's centre, towards the middle.
constexpr double rim_distance = 48.0;

Scenario still_in_quarter(const std::string& name, double x, double y)
{
    const double middle_x = World::width / 2.0;
    const double middle_y = World::height / 2.0;
    const double length = std::hypot(middle_x - x, middle_y - y);
    return {name,
            x,
            y,
            0.0,
            0.0,
            x + (middle_x - x) * rim_distance / length,
            y + (middle_y - y) * rim_distance / length,
            0};
}

}  // namespace

const std::vector<Scenario>& standard_scenarios()
{
    static const std::vector<Scenario> scenarios = {
        {"drift", 100.0, 100.0, 1.0, 1.0, World::width / 2, World::height / 2, 0},
        still_in_quarter("still-top-left", 160.0, 120.0),
        still_in_quarter("still-top-right", 480.0, 120.0),
        still_in_quarter("still-bottom-left", 160.0, 360.0),
        still_in_quarter("still-bottom-right", 480.0, 360.0),
        {"jumps", 320.0, 200.0, 0.0, 0.0, World::width / 2, World::height / 2, jump_interval},
    };
    return scenarios;
}

const Scenario* find_scenario(const std::string& name)
{
    for (const Scenario& scenario : standard_scenarios()) {
        if (scenario.name == name)
            return &scenario;
    }
    return nullptr;
}

ScenarioRun::ScenarioRun(World& world, const Scenario& scenario, unsigned seed)
    : world(world), scenario(scenario), random(seed)
{
    Spotlight& light = world.spotlight;
    if (light.sprite.empty())
        throw std::bad_alloc();
    light.x = scenario.light_x;
    light.y = scenario.light_y;
    light.vx = scenario.light_vx;
    light.vy = scenario.light_vy;
    Creature& creature = world.creature;
    creature.x = scenario.creature_x;
    creature.y = scenario.creature_y;
    creature.vx = creature.vy = 0.0;
}

void ScenarioRun::jump()
{
    // Whole pixels in a square round the creature, kept on the screen.
    const int reach = static_cast<int>(jump_reach);
    const int dx = static_cast<int>(random.next() % (2 * reach + 1)) - reach;
    const int dy = static_cast<int>(random.next() % (2 * reach + 1)) - reach;
    const double x = std::floor(world.creature.x) + dx;
    const double y = std::floor(world.creature.y) + dy;
    world.spotlight.x = std::fmin(std::fmax(x, 0.0), World::width);
    world.spotlight.y = std::fmin(std::fmax(y, 0.0), World::height);
}

void ScenarioRun::frame()
{
    if (scenario.jump_every > 0 && done > 0 && done % scenario.jump_every == 0)
        jump();
    world.step_sensed();
    ++done;
}
