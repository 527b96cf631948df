// The behaviour scores and measures on positions placed by hand, against their definitions.
#include "creature_evolution/scoring.h"

#include "creature_lab/trace.h"
#include "engine/network.h"
#include "program_shell/start_up.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr double pi = 3.14159265358979323846;

class ScoringTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(start_headless_graphics()); }

    // The measure of frames whose creature stands at the given offsets from a light at (320, 240).
    ScenarioMeasure measure(Behaviour behaviour, const std::vector<std::pair<double, double>>& offsets)
    {
        World world{Network(nullptr)};
        world.spotlight.x = 320.0;
        world.spotlight.y = 240.0;
        MeasureCollector collector("test", behaviour);
        for (const auto& offset : offsets) {
            world.creature.x = 320.0 + offset.first;
            world.creature.y = 240.0 + offset.second;
            collector.add_frame(world);
        }
        return collector.result();
    }

    // Frames going round the light at `distance`, `step` radians a frame.
    static std::vector<std::pair<double, double>> round_trip(double distance, double step, int frames)
    {
        std::vector<std::pair<double, double>> offsets;
        for (int frame = 0; frame < frames; ++frame)
            offsets.push_back({distance * std::cos(frame * step), distance * std::sin(frame * step)});
        return offsets;
    }
};

TEST_F(ScoringTest, ScoresFollowAndFleeByTheDistance)
{
    const struct {
        double distance;
        double follow;
        double flee;
    } cases[] = {
        {0.0, 100.0, 0.0},
        {32.0, 100.0 * (0.5 * (1.0 - 32.0 / 800.0) + 0.5 * 0.5), 50.0},
        {64.0, 100.0 * 0.5 * (1.0 - 64.0 / 800.0), 100.0},
        {300.0, 100.0 * 0.5 * (1.0 - 300.0 / 800.0), 100.0},
        {900.0, 0.0, 100.0},
    };
    for (const auto& c : cases) {
        EXPECT_NEAR(measure(Behaviour::follow, {{0.0, c.distance}}).score, c.follow, 1e-9) << c.distance;
        EXPECT_NEAR(measure(Behaviour::flee, {{c.distance, 0.0}}).score, c.flee, 1e-9) << c.distance;
    }
}

TEST_F(ScoringTest, CirclingNeedsHalfTheRadiusAndSteadyTurning)
{
    const double full_speed = 2.0 * pi / 300.0;
    EXPECT_NEAR(measure(Behaviour::circle, round_trip(32.0, full_speed, 400)).score, 100.0, 1e-6);
    EXPECT_NEAR(measure(Behaviour::circle, round_trip(32.0, -2.0 * full_speed, 400)).score, 100.0, 1e-6);
    EXPECT_NEAR(measure(Behaviour::circle, round_trip(32.0, full_speed / 4.0, 400)).score, 25.0, 0.5);
    EXPECT_NEAR(measure(Behaviour::circle, round_trip(48.0, full_speed, 400)).score, 50.0, 1e-6);
    EXPECT_EQ(measure(Behaviour::circle, round_trip(32.0, 0.0, 400)).score, 0.0);
    EXPECT_EQ(measure(Behaviour::circle, round_trip(70.0, full_speed, 400)).score, 0.0);
    // Going back and forth sweeps no angle.
    std::vector<std::pair<double, double>> to_and_fro = round_trip(32.0, full_speed, 100);
    const std::vector<std::pair<double, double>> back = round_trip(32.0, full_speed, 100);
    to_and_fro.insert(to_and_fro.end(), back.rbegin(), back.rend());
    EXPECT_NEAR(measure(Behaviour::circle, to_and_fro).score, 0.0, 1e-6);
}

TEST_F(ScoringTest, MeasuresDistanceInsideShareAndTravel)
{
    const ScenarioMeasure result =
        measure(Behaviour::follow, {{0.0, 63.9}, {0.0, 64.0}, {3.0, 68.0}, {3.0, 68.0}});
    EXPECT_NEAR(result.mean_distance, (63.9 + 64.0 + 2.0 * std::hypot(3.0, 68.0)) / 4.0, 1e-9);
    EXPECT_DOUBLE_EQ(result.inside_share, 0.25);
    EXPECT_NEAR(result.travelled, 0.1 + 5.0, 1e-9);

    const ScenarioMeasure total = total_of({result, result});
    EXPECT_EQ(total.name, "total");
    EXPECT_DOUBLE_EQ(total.travelled, 2.0 * result.travelled);
    EXPECT_DOUBLE_EQ(total.score, result.score);
}

// The first frame's move counts: a one-frame score travels as far as the one-frame trace.
TEST_F(ScoringTest, TravelIsTheSumOfTheTracesMoves)
{
    const std::string follower = std::string(EXAMPLES_DIR) + "/follower.txt";
    for (const int frames : {1, 2, 5, 200}) {
        World scored{Network(follower.c_str())};
        ASSERT_FALSE(scored.creature.network_not_3_in_4_out);
        const std::vector<ScenarioMeasure> measures = measure_world(scored, {Behaviour::follow, frames, 7});
        const std::vector<Scenario>& scenarios = standard_scenarios();
        ASSERT_EQ(measures.size(), scenarios.size());
        for (std::size_t index = 0; index < scenarios.size(); ++index) {
            World traced{Network(follower.c_str())};
            const std::vector<TracePoint> path = trace_world(traced, scenarios[index], frames, 7).path;
            double moves = 0.0;
            for (std::size_t step = 1; step < path.size(); ++step)
                moves += std::hypot(path[step].creature_x - path[step - 1].creature_x,
                                    path[step].creature_y - path[step - 1].creature_y);
            EXPECT_NEAR(measures[index].travelled, moves, 1e-9) << scenarios[index].name << ", " << frames;
        }
    }
}

}  // namespace
