// Tracing a creature: one CSV row per frame of a scenario, and the picture of the arena with
// the spotlight's path and the creature's path.
#ifndef CREATURE_LAB_TRACE_H
#define CREATURE_LAB_TRACE_H

#include "creature_lab/png_image.h"
#include "creature_evolution/scenarios.h"

#include <string>
#include <vector>

struct TracePoint {
    double creature_x, creature_y;
    double light_x, light_y;
};

struct Trace {
    std::string csv;                // header line and one row per frame
    std::vector<TracePoint> path;  // the start, then the place after each frame
};

// Runs `world` (its network in place) through `scenario` for `frames` frames.
Trace trace_world(World& world, const Scenario& scenario, int frames, unsigned seed);

extern const char* const trace_csv_header;

// The arena as the world left it (the spotlight's disc and the creature's rings) with the
// spotlight's path and the creature's path drawn over it.
RgbImage trace_picture(World& world, const std::vector<TracePoint>& path);

#endif
