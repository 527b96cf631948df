// The creatures view's state: the creature world of creature_sim, stepped by its sensed frame,
// with the network read from a file as creature_sim reads it.
#ifndef WEB_CREATURE_SESSION_H
#define WEB_CREATURE_SESSION_H

#include "creature_world/world.h"
#include "engine/network.h"

#include <string>
#include <vector>

class CreatureSession {
public:
    CreatureSession() : world(Network(nullptr)) {}

    // A new world whose creature the network file at `path` drives, at frame 0. What is wrong
    // with the file goes to problems(), one line each.
    void load(const std::string& path);
    // Advances `frames` frames.
    void step(int frames);
    // Puts the spotlight's centre at (x, y); the next frame keeps it on the arena.
    void move_light(double x, double y);

    int frame = 0;
    World world;
    std::vector<std::string> problems;
};

#endif
