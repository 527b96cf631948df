// The creatures view's state: the creature world of creature_sim, stepped by its sensed frame,
// with the network read from a file as creature_sim reads it, and the creature's recent path.
#ifndef WEB_CREATURE_SESSION_H
#define WEB_CREATURE_SESSION_H

#include "creature_world/world.h"
#include "engine/network.h"

#include <string>
#include <vector>

// The creature's last places, oldest overwritten first: a fixed ring, so that a frame stores
// its place without allocating.
class CreatureTrail {
public:
    static constexpr int capacity = 150;  // about 4 s of creature_sim's 36 frames a second

    CreatureTrail() : points(2 * capacity, 0.0) {}

    void clear();
    void add(double x, double y);

    std::vector<double> points;  // x, y pairs; the oldest kept is at pair `next` once full
    int next = 0;
    int count = 0;
};

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
    CreatureTrail trail;  // the creature's place at the start and after each frame since
};

#endif
