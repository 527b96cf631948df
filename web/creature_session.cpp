// Loading a creature, stepping its world and keeping its path.
#include "web/creature_session.h"

#include "engine/diagnostics.h"
#include "lab_session/network_loading.h"
#include "tool_support/file_problems.h"

void CreatureTrail::clear()
{
    next = 0;
    count = 0;
}

void CreatureTrail::add(double x, double y)
{
    points[static_cast<std::size_t>(2 * next)] = x;
    points[static_cast<std::size_t>(2 * next + 1)] = y;
    next = (next + 1) % capacity;
    if (count < capacity)
        ++count;
}

void CreatureSession::load(const std::string& path)
{
    Diagnostics notes;
    const Network network(path.c_str(), &notes);
    world = World(network);
    frame = 0;
    trail.clear();
    trail.add(world.creature.x, world.creature.y);
    FileProblems found;
    add_reader_problems(found, path, notes);
    problems = problem_lines(found);
    if (world.creature.network_not_3_in_4_out)
        problems.push_back(path + ": a creature needs a network of 3 inputs and 4 outputs");
}

void CreatureSession::step(int frames)
{
    for (int i = 0; i < frames; ++i) {
        world.step_sensed();
        ++frame;
        trail.add(world.creature.x, world.creature.y);
    }
}

void CreatureSession::move_light(double x, double y)
{
    world.spotlight.x = x;
    world.spotlight.y = y;
}
