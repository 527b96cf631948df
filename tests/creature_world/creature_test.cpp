// The creature: its start, sensing of a drawn spotlight, one step from known outputs, the
// bounds that keep its sensors on the target, its drawing and its network checks.
#include "creature_world/creature.h"

#include "creature_world/pixel_sensing.h"
#include "creature_world/scene_drawing.h"
#include "creature_world/spotlight.h"
#include "tests/creature_world/headless.h"

#include <allegro.h>
#include <gtest/gtest.h>

namespace {

constexpr int inner = 95;
constexpr int outer = 96;
constexpr int base = 100;

class CreatureTest : public HeadlessTest {
protected:
    Creature make_creature(const std::string& path)
    {
        return Creature(640, 480, base, path.c_str());
    }

    // A creature driven by a network file of the given text.
    Creature creature_with(const std::string& network)
    {
        return make_creature(directory.write("net.txt", network));
    }
};

TEST_F(CreatureTest, StartsInTheMiddleAtRest)
{
    Creature creature = creature_with(network_layers({3, 4}));
    EXPECT_EQ(creature.x, 320.0);
    EXPECT_EQ(creature.y, 240.0);
    EXPECT_EQ(creature.vx, 0.0);
    EXPECT_EQ(creature.vy, 0.0);
    EXPECT_EQ(creature.speedup_factor, 3.0);
    EXPECT_FALSE(creature.network_not_3_in_4_out);
    EXPECT_EQ(creature.inputs, std::vector<double>(3, 0.0));
    EXPECT_EQ(creature.outputs, std::vector<double>(4, 0.0));
    ASSERT_EQ(creature.sensors.size(), 3u);
    EXPECT_EQ(creature.sensors[0].dx, -4);
    EXPECT_EQ(creature.sensors[0].dy, 3);
    EXPECT_EQ(creature.sensors[1].dx, 0);
    EXPECT_EQ(creature.sensors[1].dy, -5);
    EXPECT_EQ(creature.sensors[2].dx, 4);
    EXPECT_EQ(creature.sensors[2].dy, 3);
}

TEST_F(CreatureTest, StartsInTheMiddleOfAnOddSizedTarget)
{
    Creature creature(101, 51, base, missing_path().c_str());
    EXPECT_EQ(creature.x, 50.0);
    EXPECT_EQ(creature.y, 25.0);
}

TEST_F(CreatureTest, UnsuitableNetworksStopTheCreatureAndLeaveItsListsAlone)
{
    for (const std::string& path : {directory.write("five.txt", network_layers({3, 5})),
                                    directory.write("two.txt", network_layers({2, 4})), missing_path()}) {
        Creature creature = make_creature(path);
        EXPECT_TRUE(creature.network_not_3_in_4_out) << path;
        Spotlight spotlight(640, 480, base);
        creature.x = 99.0;
        creature.y = 104.0;
        draw_spotlight(target.get(), spotlight);
        step_on_target(creature, target.get());
        EXPECT_EQ(creature.x, 99.0);
        EXPECT_EQ(creature.y, 104.0);
        EXPECT_EQ(creature.inputs, std::vector<double>(3, 0.0));
        EXPECT_EQ(creature.outputs, std::vector<double>(4, 0.0));
    }
}

TEST_F(CreatureTest, ReadsDarknessAsZero)
{
    Creature creature = creature_with(network_layers({3, 4}));
    step_on_target(creature, target.get());
    EXPECT_EQ(creature.inputs, std::vector<double>(3, 0.0));
}

TEST_F(CreatureTest, ReadsTheLightLevelsOfADrawnSpotlight)
{
    Creature creature = creature_with(network_with_outputs(0.5, 0.5, 0.5, 0.5));
    Spotlight spotlight(640, 480, base);
    draw_spotlight(target.get(), spotlight);  // centre pixel at (99, 99)
    creature.x = 99.9;
    creature.y = 104.5;  // sensor 1 lands on (99, 99)
    step_on_target(creature, target.get());
    EXPECT_EQ(creature.inputs[1], 0.984375);
    // Sensors 0 and 2 at (95, 107) and (103, 107), symmetric about the centre column.
    EXPECT_EQ(creature.inputs[0], (getpixel(target.get(), 95, 107) - base) / 64.0);
    EXPECT_EQ(creature.inputs[2], (getpixel(target.get(), 103, 107) - base) / 64.0);
    EXPECT_GT(creature.inputs[0], 0.8);
    EXPECT_LT(creature.inputs[0], creature.inputs[1]);
}

TEST_F(CreatureTest, ReadsTheRimOfTheLightAsZeroAndTextColoursAsDarkness)
{
    Creature creature = creature_with(network_with_outputs(0.5, 0.5, 0.5, 0.5));
    Spotlight spotlight(640, 480, base);
    draw_spotlight(target.get(), spotlight);
    putpixel(target.get(), 316, 243, 91);  // a text pixel under sensor 0
    putpixel(target.get(), 324, 243, 255);  // the brightest index reads as at most 1.0
    creature.x = 163.0;
    creature.y = 104.0;  // sensor 1 on the rim pixel (163, 99)
    step_on_target(creature, target.get());
    EXPECT_EQ(creature.inputs[1], 0.0);
    creature.x = 320.0;
    creature.y = 240.0;
    step_on_target(creature, target.get());
    EXPECT_EQ(creature.inputs[0], 0.0);
    EXPECT_EQ(creature.inputs[2], 1.0);
}

TEST_F(CreatureTest, StepMovesByTheOutputDifferencesTimesTheSpeedup)
{
    Creature creature = creature_with(network_with_outputs(0.2, 0.8, 0.5, 0.5));
    step_on_target(creature, target.get());
    EXPECT_NEAR(creature.outputs[0], 0.2, 1e-12);
    EXPECT_NEAR(creature.outputs[1], 0.8, 1e-12);
    EXPECT_NEAR(creature.vx, 1.8, 1e-9);
    EXPECT_NEAR(creature.vy, 0.0, 1e-12);
    EXPECT_NEAR(creature.x, 321.8, 1e-9);
    EXPECT_NEAR(creature.y, 240.0, 1e-12);
}

TEST_F(CreatureTest, OutputsTwoAndThreePullUpAndDown)
{
    Creature creature = creature_with(network_with_outputs(0.5, 0.5, 0.9, 0.4));
    creature.speedup_factor = 2.0;
    step_on_target(creature, target.get());
    EXPECT_NEAR(creature.vy, -1.0, 1e-9);
    EXPECT_NEAR(creature.y, 239.0, 1e-9);
}

TEST_F(CreatureTest, ZeroSpeedupNeverMoves)
{
    Creature creature = creature_with(network_with_outputs(0.1, 0.9, 0.9, 0.1));
    creature.speedup_factor = 0.0;
    for (int i = 0; i < 10; ++i)
        step_on_target(creature, target.get());
    EXPECT_EQ(creature.x, 320.0);
    EXPECT_EQ(creature.y, 240.0);
}

TEST_F(CreatureTest, StopsAtTheLeftLimitKeepingItsVelocity)
{
    Creature creature = creature_with(network_with_outputs(5.0 / 6.0, 0.5, 0.5, 0.5));
    creature.speedup_factor = 6.0;  // vx = (0.5 - 5/6) * 6 = -2
    creature.x = 4.5;
    step_on_target(creature, target.get());
    EXPECT_NEAR(creature.vx, -2.0, 1e-9);
    EXPECT_EQ(creature.x, 4.0);
}

TEST_F(CreatureTest, KeepsAllSensorsOnTheTarget)
{
    Creature creature = creature_with(network_with_outputs(0.1, 0.9, 0.1, 0.9));
    const std::string left_up = directory.write("left_up.txt", network_with_outputs(0.9, 0.1, 0.9, 0.1));
    creature.speedup_factor = 1000.0;
    step_on_target(creature, target.get());
    EXPECT_EQ(creature.x, 635.0);
    EXPECT_EQ(creature.y, 476.0);
    creature.load_network(left_up.c_str());
    step_on_target(creature, target.get());
    EXPECT_EQ(creature.x, 4.0);
    EXPECT_EQ(creature.y, 5.0);
}

TEST_F(CreatureTest, PutsBackACreatureTheMouseMovedOffTheTarget)
{
    Creature creature = creature_with(network_with_outputs(0.5, 0.5, 0.5, 0.5));
    creature.x = -50.0;
    creature.y = 900.0;
    step_on_target(creature, target.get());  // the sensors read -1 off the target, that is darkness
    EXPECT_EQ(creature.inputs, std::vector<double>(3, 0.0));
    EXPECT_EQ(creature.x, 4.0);
    EXPECT_EQ(creature.y, 476.0);
}

TEST_F(CreatureTest, DrawsRingsAroundTheThreeSensors)
{
    Creature creature = make_creature(missing_path());
    creature.x = 320.7;
    creature.y = 240.2;
    draw_creature(target.get(), creature);
    for (const auto& centre : {std::pair<int, int>{316, 243}, {320, 235}, {324, 243}}) {
        const int cx = centre.first;
        const int cy = centre.second;
        EXPECT_EQ(getpixel(target.get(), cx, cy), 0);
        EXPECT_EQ(getpixel(target.get(), cx + 1, cy), inner);
        EXPECT_EQ(getpixel(target.get(), cx, cy - 1), inner);
        EXPECT_EQ(getpixel(target.get(), cx - 2, cy), outer);
        EXPECT_EQ(getpixel(target.get(), cx, cy + 2), outer);
    }
}

TEST_F(CreatureTest, LoadingASuitableNetworkStartsItWhereItStands)
{
    const std::string good = directory.write("good.txt", network_with_outputs(0.2, 0.8, 0.5, 0.5));
    Creature creature = make_creature(missing_path());
    creature.x = 200.0;
    creature.speedup_factor = 1.0;
    creature.load_network(good.c_str());
    EXPECT_FALSE(creature.network_not_3_in_4_out);
    EXPECT_EQ(creature.x, 200.0);
    EXPECT_EQ(creature.speedup_factor, 1.0);
    step_on_target(creature, target.get());
    EXPECT_NEAR(creature.x, 200.6, 1e-9);
    creature.load_network(missing_path().c_str());
    EXPECT_TRUE(creature.network_not_3_in_4_out);
}

TEST_F(CreatureTest, CopyOwnsItsOwnNetwork)
{
    Creature creature = creature_with(network_layers({3, 4}));
    Creature copy(creature);
    EXPECT_NE(copy.network.get(), creature.network.get());
    copy.load_network(missing_path().c_str());
    EXPECT_TRUE(copy.network_not_3_in_4_out);
    EXPECT_FALSE(creature.network_not_3_in_4_out);
    EXPECT_EQ(creature.network->output_count(), 4);
}

TEST_F(CreatureTest, OutputsThatAreNotNumbersHoldTheCreatureStill)
{
    // Slope 0 times an infinite weighted sum: outputs 0 and 2 are NaN, 1 and 3 are 0.5.
    Creature creature = creature_with("input_layer: 3\ncomp_layer: 3\n"
                                      "  weights: 0 0 0\n  weights: 0 0 0\n  weights: 0 0 0\n"
                                      "comp_layer: 4\n"
                                      "  weights: 1.7e308 1.7e308 1.7e308\n  weights: 0 0 0\n"
                                      "  weights: 1.7e308 1.7e308 1.7e308\n  weights: 0 0 0\n"
                                      "slope_parameter: 0\n");
    ASSERT_FALSE(creature.network_not_3_in_4_out);
    step_on_target(creature, target.get());
    draw_creature(target.get(), creature);
    EXPECT_EQ(creature.vx, 0.0);
    EXPECT_EQ(creature.vy, 0.0);
    EXPECT_EQ(creature.x, 320.0);
    EXPECT_EQ(creature.y, 240.0);
}

}  // namespace
