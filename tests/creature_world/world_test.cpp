// The shared world against creature_sim's own frame: the same positions to the last bit for
// 1,000 frames, and sensing from the sprite equal to sensing the drawn arena, edges included.
#include "creature_world/world.h"

#include "creature_world/pixel_sensing.h"
#include "creature_world/scene_drawing.h"

#include "creature_sim/shell.h"
#include "engine/network.h"
#include "program_shell/start_up.h"
#include "tests/support/headless_allegro.h"

#include <allegro.h>
#include <gtest/gtest.h>

#include <string>

namespace {

constexpr int frames_compared = 1000;

std::string example_file(const std::string& name)
{
    return std::string(EXAMPLES_DIR) + "/" + name;
}

void no_mickeys(int* mickey_x, int* mickey_y)
{
    *mickey_x = 0;
    *mickey_y = 0;
}

class WorldTest : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override { ASSERT_TRUE(start_headless_graphics()); }
};

TEST_P(WorldTest, EveryFrameEqualsTheSimulatorsFrameWithNoKeysHeld)
{
    const std::string path = example_file(GetParam());
    MemoryBitmap buffer = make_bitmap(640, 480);
    MemoryBitmap display = make_bitmap(640, 480);
    const char keys[KEY_MAX] = {};
    const int mouse_buttons = 0;
    const FrameInput input{keys, &mouse_buttons, no_mickeys};
    SimulatorShell shell(buffer.get(), path.c_str());
    ASSERT_FALSE(shell.creature->network_not_3_in_4_out);

    const Network network(path.c_str());
    World sensed(network);
    World drawn(network);
    MemoryBitmap arena = make_bitmap(World::width, World::height);
    double travelled = 0.0;
    for (int frame = 1; frame <= frames_compared; ++frame) {
        const double before_x = sensed.creature.x;
        run_frame(shell, input, display.get());
        clear_bitmap(buffer.get());  // as presenting the frame does, without waiting for a retrace
        sensed.step_sensed();
        step_drawn(drawn, arena.get());
        for (const World* world : {&sensed, &drawn}) {
            ASSERT_EQ(world->creature.x, shell.creature->x) << "frame " << frame;
            ASSERT_EQ(world->creature.y, shell.creature->y) << "frame " << frame;
            ASSERT_EQ(world->spotlight.x, shell.spotlight->x) << "frame " << frame;
            ASSERT_EQ(world->spotlight.y, shell.spotlight->y) << "frame " << frame;
        }
        travelled += std::abs(sensed.creature.x - before_x);
    }
    // A creature that never moved would make the comparison hollow.
    EXPECT_GT(travelled, 5.0);
}

INSTANTIATE_TEST_SUITE_P(Gallery, WorldTest, ::testing::Values("follower.txt", "avoider.txt", "circler.txt"));

struct LightPlace {
    int radius;
    double x;
    double y;
};

void PrintTo(const LightPlace& place, std::ostream* out)
{
    *out << "radius " << place.radius << " at " << place.x << ", " << place.y;
}

class SpriteSensingTest : public ::testing::TestWithParam<LightPlace> {
protected:
    void SetUp() override { ASSERT_TRUE(start_headless_graphics()); }
};

// Every pixel of the arena and a border round it reads as drawn: the sprite clipped at each
// edge, and -1 beyond the arena.
TEST_P(SpriteSensingTest, SpritePixelsEqualTheDrawnArena)
{
    const Network network(example_file("follower.txt").c_str());
    World world(network);
    world.spotlight.radius = GetParam().radius;
    world.spotlight.x = GetParam().x;
    world.spotlight.y = GetParam().y;
    world.spotlight.vx = world.spotlight.vy = 0.0;
    world.spotlight.update();
    MemoryBitmap arena = make_bitmap(World::width, World::height);
    draw_spotlight(arena.get(), world.spotlight);
    int mismatches = 0;
    int lit = 0;
    for (int py = -6; py < World::height + 6; ++py) {
        for (int px = -6; px < World::width + 6; ++px) {
            const int drawn = getpixel(arena.get(), px, py);
            lit += drawn > 0;
            mismatches += lit_pixel(world.spotlight, px, py, World::width, World::height) != drawn;
        }
    }
    EXPECT_EQ(mismatches, 0);
    EXPECT_GT(lit, 0);
}

INSTANTIATE_TEST_SUITE_P(Places, SpriteSensingTest,
                         ::testing::Values(LightPlace{64, 100.0, 100.0}, LightPlace{64, 0.0, 0.0},
                                           LightPlace{64, 640.0, 480.0}, LightPlace{5, 639.5, 2.7},
                                           LightPlace{1, 320.0, 240.0}, LightPlace{300, 10.0, 470.0},
                                           LightPlace{Spotlight::max_radius, 320.0, 0.0}),
                         [](const ::testing::TestParamInfo<LightPlace>& info) {
                             return "radius_" + std::to_string(info.param.radius) + "_at_" +
                                    std::to_string(static_cast<int>(info.param.x)) + "_" +
                                    std::to_string(static_cast<int>(info.param.y));
                         });

// Sensors pushed beyond each edge, under a light that covers the edge, read what the drawn
// arena gives them.
TEST(SpriteSensing, SensorsBeyondTheEdgesReadAsOnTheDrawnArena)
{
    ASSERT_TRUE(start_headless_graphics());
    const Network network(example_file("follower.txt").c_str());
    const struct {
        double creature_x, creature_y, light_x, light_y;
    } cases[] = {
        {-3.0, 240.0, 0.0, 240.0},  {2.5, 2.0, 0.0, 0.0},     {641.0, 100.0, 640.0, 100.0},
        {637.9, 478.6, 640.0, 480.0}, {320.0, -1.0, 320.0, 0.0}, {320.0, 483.0, 330.0, 480.0},
    };
    for (const auto& c : cases) {
        World world(network);
        world.spotlight.x = c.light_x;
        world.spotlight.y = c.light_y;
        world.spotlight.vx = world.spotlight.vy = 0.0;
        world.creature.x = c.creature_x;
        world.creature.y = c.creature_y;
        world.spotlight.update();
        world.sense_from_sprite();
        const std::vector<double> from_sprite = world.creature.inputs;
        MemoryBitmap arena = make_bitmap(World::width, World::height);
        draw_spotlight(arena.get(), world.spotlight);
        step_on_target(world.creature, arena.get());
        EXPECT_EQ(from_sprite, world.creature.inputs) << "creature at " << c.creature_x << ", " << c.creature_y;
    }
}

}  // namespace
