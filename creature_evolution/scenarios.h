// The fixed set of situations a creature is measured in: where the spotlight and the creature
// start, how the spotlight moves, and the world run through one of them frame by frame.
#ifndef CREATURE_EVOLUTION_SCENARIOS_H
#define CREATURE_EVOLUTION_SCENARIOS_H

#include "creature_evolution/portable_random.h"
#include "creature_world/world.h"

#include <string>
#include <vector>

struct Scenario {
    std::string name;
    double light_x;
    double light_y;
    double light_vx;
    double light_vy;
    double creature_x;
    double creature_y;
    int jump_every;  // frames between jumps of the spotlight to a new place; 0 for none
};

// The drift of the spotlight as creature_sim starts, the spotlight standing still in each
// quarter of the screen with the creature at its rim, and the spotlight jumping near the
// creature every few seconds.
const std::vector<Scenario>& standard_scenarios();

// The scenario of that name, or null.
const Scenario* find_scenario(const std::string& name);

// Runs one world through a scenario: place() puts everything at its start, frame() steps one
// frame, moving the spotlight first when a jump is due. Jumps are drawn from the seed alone.
class ScenarioRun {
public:
    // Throws std::bad_alloc when the world's spotlight has no sprite: the world ran short of
    // memory building it, and a world without its light would measure something else.
    ScenarioRun(World& world, const Scenario& scenario, unsigned seed);

    void frame();
    int frames_done() const { return done; }

private:
    void jump();

    World& world;
    const Scenario& scenario;
    PortableRandom random;
    int done = 0;
};

#endif
