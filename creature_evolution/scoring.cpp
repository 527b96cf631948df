// The measures and the behaviour scores; the manual page defines each score in these terms.
#include "creature_evolution/scoring.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double pi = 3.14159265358979323846;
// No two places on a 640 x 480 screen lie farther apart than its diagonal.
constexpr double screen_diagonal = 800.0;
// A circler keeps half the light's radius from its centre ...
constexpr double circle_radius_share = 0.5;
// ... and goes round at least once every 300 frames (five seconds) for full marks.
constexpr double full_angular_speed = 2.0 * pi / 300.0;

double wrapped_angle(double angle)
{
    while (angle > pi)
        angle -= 2.0 * pi;
    while (angle < -pi)
        angle += 2.0 * pi;
    return angle;
}

}  // namespace

bool behaviour_from_name(const std::string& name, Behaviour& behaviour)
{
    for (Behaviour candidate : {Behaviour::follow, Behaviour::flee, Behaviour::circle}) {
        if (name == behaviour_name(candidate)) {
            behaviour = candidate;
            return true;
        }
    }
    return false;
}

const char* behaviour_name(Behaviour behaviour)
{
    switch (behaviour) {
    case Behaviour::follow:
        return "follow";
    case Behaviour::flee:
        return "flee";
    case Behaviour::circle:
        return "circle";
    }
    return "follow";
}

MeasureCollector::MeasureCollector(const std::string& name, Behaviour behaviour) : behaviour(behaviour)
{
    measure.name = name;
}

void MeasureCollector::start(const World& world)
{
    have_previous_place = true;
    previous_x = world.creature.x;
    previous_y = world.creature.y;
}

void MeasureCollector::add_frame(const World& world)
{
    const double dx = world.creature.x - world.spotlight.x;
    const double dy = world.creature.y - world.spotlight.y;
    const double distance = std::hypot(dx, dy);
    const double radius = world.spotlight.radius;
    const double angle = std::atan2(dy, dx);
    if (have_previous_place)
        measure.travelled += std::hypot(world.creature.x - previous_x, world.creature.y - previous_y);
    // The angle is swept from frame to frame, as the circle score defines it.
    if (frames > 0)
        swept_angle += wrapped_angle(angle - previous_angle);
    have_previous_place = true;
    previous_x = world.creature.x;
    previous_y = world.creature.y;
    previous_angle = angle;

    ++frames;
    sum_distance += distance;
    inside_frames += distance < radius;
    switch (behaviour) {
    case Behaviour::follow:
        // Half for coming near from anywhere on the screen, half for keeping to the centre.
        sum_frame_score += 0.5 * (1.0 - std::fmin(distance, screen_diagonal) / screen_diagonal) +
                           0.5 * std::fmax(0.0, 1.0 - distance / radius);
        break;
    case Behaviour::flee:
        sum_frame_score += std::fmin(distance / radius, 1.0);
        break;
    case Behaviour::circle: {
        const double ring = circle_radius_share * radius;
        sum_frame_score += std::fmax(0.0, 1.0 - std::fabs(distance - ring) / ring);
        break;
    }
    }
}

ScenarioMeasure MeasureCollector::result() const
{
    ScenarioMeasure result = measure;
    if (frames == 0)
        return result;
    result.mean_distance = sum_distance / frames;
    result.inside_share = static_cast<double>(inside_frames) / frames;
    double score = sum_frame_score / frames;
    if (behaviour == Behaviour::circle) {
        // The angle is swept between frames: one step fewer than the frames.
        const int steps = std::max(frames - 1, 1);
        score *= std::fmin(1.0, std::fabs(swept_angle) / (steps * full_angular_speed));
    }
    result.score = 100.0 * score;
    return result;
}

std::vector<ScenarioMeasure> measure_world(World& world, const ScoreSettings& settings)
{
    std::vector<ScenarioMeasure> measures;
    for (const Scenario& scenario : standard_scenarios()) {
        ScenarioRun run(world, scenario, settings.seed);
        MeasureCollector collector(scenario.name, settings.behaviour);
        collector.start(world);
        for (int frame = 0; frame < settings.frames; ++frame) {
            run.frame();
            collector.add_frame(world);
        }
        measures.push_back(collector.result());
    }
    return measures;
}

ScenarioMeasure total_of(const std::vector<ScenarioMeasure>& measures)
{
    ScenarioMeasure total;
    total.name = "total";
    if (measures.empty())
        return total;
    for (const ScenarioMeasure& measure : measures) {
        total.mean_distance += measure.mean_distance;
        total.inside_share += measure.inside_share;
        total.travelled += measure.travelled;
        total.score += measure.score;
    }
    const double count = static_cast<double>(measures.size());
    total.mean_distance /= count;
    total.inside_share /= count;
    total.score /= count;
    return total;
}
