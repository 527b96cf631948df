// The creature: three light sensors, a network that turns their light levels into motion,
// and the bounds of its arena. Owns its Network. Needs no graphics library.
#ifndef CREATURE_WORLD_CREATURE_H
#define CREATURE_WORLD_CREATURE_H

#include "engine/network.h"

#include <memory>
#include <vector>

// A sensor's place relative to the creature's truncated position.
struct SensorOffset {
    int dx;
    int dy;
};

class Creature {
public:
    // Starts at the middle of an arena of the given size and reads its network from `path`
    // at once; a missing or unsuitable file only sets network_not_3_in_4_out.
    Creature(int arena_width, int arena_height, int light_base_color, const char* path);
    // A copy owns a copy of the network; two creatures never share one.
    Creature(const Creature& other);
    Creature& operator=(const Creature& other);
    Creature(Creature&&) = default;
    Creature& operator=(Creature&&) = default;
    ~Creature();

    // The motion half of a frame, on the light levels already in `inputs`: evaluates the
    // network, moves, keeps the sensors on the arena. Does nothing while network_not_3_in_4_out.
    void act();
    // Where sensor `index` lies on the arena now.
    int sensor_x(int index) const;
    int sensor_y(int index) const;
    // The light level, 0.0 to 1.0, that a pixel of the given palette index shows.
    static double light_level(int palette_index, int light_base_color);
    // Replaces the network by one read from `path`; position and speed stay.
    void load_network(const char* path);
    // Replaces the network by a copy of `source`; position and speed stay.
    void use_network(const Network& source);

    double x;
    double y;
    double vx = 0.0;
    double vy = 0.0;
    double speedup_factor = 3.0;  // network outputs to pixels per frame
    bool network_not_3_in_4_out = true;  // the creature drives only a network of 3 inputs and 4 outputs
    int arena_width;
    int arena_height;
    std::unique_ptr<Network> network;
    std::vector<double> inputs;
    std::vector<double> outputs;
    std::vector<SensorOffset> sensors;
    int light_base_color;

private:
    void check_network();
    void keep_sensors_on_arena();
};

#endif
