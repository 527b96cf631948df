// Measuring a creature: per scenario the mean distance from the spotlight's centre, the share
// of frames inside the light, the distance travelled, and one score for a chosen behaviour.
#ifndef CREATURE_EVOLUTION_SCORING_H
#define CREATURE_EVOLUTION_SCORING_H

#include "creature_evolution/scenarios.h"

#include <string>
#include <vector>

class Network;

enum class Behaviour { follow, flee, circle };

// "follow", "flee" or "circle"; false for any other name.
bool behaviour_from_name(const std::string& name, Behaviour& behaviour);
const char* behaviour_name(Behaviour behaviour);

struct ScenarioMeasure {
    std::string name;
    double mean_distance = 0.0;  // pixels from the spotlight's centre
    double inside_share = 0.0;   // 0 to 1
    double travelled = 0.0;      // pixels
    double score = 0.0;          // 0 to 100, higher is better for the behaviour
};

// Gathers the measures of one scenario frame by frame.
class MeasureCollector {
public:
    MeasureCollector(const std::string& name, Behaviour behaviour);

    // Called once before the first frame with the world as its scenario placed it, so that
    // the distance travelled counts the first frame's move too.
    void start(const World& world);
    // Called after each frame with the world as the frame left it.
    void add_frame(const World& world);
    ScenarioMeasure result() const;

private:
    ScenarioMeasure measure;
    Behaviour behaviour;
    int frames = 0;
    double sum_distance = 0.0;
    int inside_frames = 0;
    double sum_frame_score = 0.0;
    double swept_angle = 0.0;  // signed, round the spotlight's centre
    bool have_previous_place = false;
    double previous_x = 0.0;
    double previous_y = 0.0;
    double previous_angle = 0.0;
};

struct ScoreSettings {
    Behaviour behaviour = Behaviour::follow;
    int frames = 1000;  // per scenario
    unsigned seed = 1;
};

// Runs `world` (its network already in place) through every standard scenario.
std::vector<ScenarioMeasure> measure_world(World& world, const ScoreSettings& settings);

// The mean of the scenarios' measures, named "total".
ScenarioMeasure total_of(const std::vector<ScenarioMeasure>& measures);

#endif
