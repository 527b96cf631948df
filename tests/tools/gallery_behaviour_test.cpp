// The gallery's creatures in the real creature world, headless: the follower keeps under the
// moving spotlight, the avoider leaves it and rests outside, the circler circles its centre.
#include "creature_world/creature.h"
#include "creature_world/spotlight.h"
#include "tests/support/headless_allegro.h"

#include <allegro.h>
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>

namespace {

constexpr int light_base_color = 100;

std::string example_file(const std::string& name)
{
    return std::string(EXAMPLES_DIR) + "/" + name;
}

// A spotlight and a creature on a 640 x 480 memory bitmap, stepped as the program's frame does.
class World {
public:
    explicit World(const std::string& network_file)
    {
        target = make_bitmap(640, 480);
        light = std::make_unique<Spotlight>(target.get(), light_base_color);
        creature = std::make_unique<Creature>(target.get(), 95, 96, light_base_color, network_file.c_str());
        EXPECT_FALSE(creature->network_incorrect) << network_file;
    }

    void step()
    {
        light->update();
        light->draw();
        creature->step();
        clear_bitmap(target.get());
    }

    double distance() const { return std::hypot(creature->x - light->x, creature->y - light->y); }

    MemoryBitmap target;
    std::unique_ptr<Spotlight> light;
    std::unique_ptr<Creature> creature;
};

void place(World& world, double light_x, double light_y, double light_vx, double light_vy)
{
    world.light->x = light_x;
    world.light->y = light_y;
    world.light->vx = light_vx;
    world.light->vy = light_vy;
}

}  // namespace

TEST(GalleryBehaviour, FollowerStaysUnderTheMovingLight)
{
    for (const double speed : {1.0, -1.5}) {
        World world(example_file("follower.txt"));
        place(world, 300.0, 215.0, speed, 1.0);  // the creature starts at (320, 240), in the light
        double farthest = 0.0;
        for (int frame = 0; frame < 3000; ++frame) {
            world.step();
            if (frame >= 100)
                farthest = std::max(farthest, world.distance());
        }
        EXPECT_LT(farthest, 30.0) << "light speed " << speed;
    }
}

TEST(GalleryBehaviour, FollowerCatchesTheLightFromTheProgramsStart)
{
    World world(example_file("follower.txt"));  // light at (100, 100) drifting by (1, 1)
    int lit_frames = 0;
    for (int frame = 0; frame < 3000; ++frame) {
        world.step();
        lit_frames += world.distance() < world.light->radius;
    }
    EXPECT_GT(lit_frames, 2500);
}

TEST(GalleryBehaviour, AvoiderLeavesTheLightAndRestsJustOutside)
{
    World world(example_file("avoider.txt"));
    place(world, 300.0, 220.0, 0.0, 0.0);
    for (int frame = 0; frame < 300; ++frame)
        world.step();
    const double rest_x = world.creature->x;
    EXPECT_GT(world.distance(), world.light->radius);
    EXPECT_LT(world.distance(), world.light->radius + 20.0);
    for (int frame = 0; frame < 100; ++frame)
        world.step();
    EXPECT_EQ(world.creature->x, rest_x);
}

TEST(GalleryBehaviour, CirclerCirclesTheCentreOfAStillLight)
{
    World world(example_file("circler.txt"));
    place(world, 300.0, 220.0, 0.0, 0.0);
    for (int frame = 0; frame < 300; ++frame)
        world.step();
    double turned = 0.0;
    double angle = std::atan2(world.creature->y - 220.0, world.creature->x - 300.0);
    for (int frame = 0; frame < 1000; ++frame) {
        world.step();
        EXPECT_GT(world.distance(), 3.0);
        EXPECT_LT(world.distance(), 30.0);
        const double next = std::atan2(world.creature->y - 220.0, world.creature->x - 300.0);
        turned += std::remainder(next - angle, 2.0 * M_PI);
        angle = next;
    }
    EXPECT_GT(std::fabs(turned), 3 * 2.0 * M_PI);  // at least three rounds
}

TEST(GalleryBehaviour, CirclerKeepsCirclingWithinTheMovingLight)
{
    World world(example_file("circler.txt"));
    place(world, 300.0, 215.0, 1.0, 1.0);
    for (int frame = 0; frame < 3000; ++frame) {
        world.step();
        if (frame >= 100) {
            ASSERT_LT(world.distance(), world.light->radius) << "frame " << frame;
        }
    }
}
