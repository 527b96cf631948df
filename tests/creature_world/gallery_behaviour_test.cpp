// The gallery's creatures in the real creature world, headless: the follower keeps under the
// moving spotlight, the avoider leaves it and rests outside, the circler circles its centre.
#include "creature_world/world.h"

#include "engine/network.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>

namespace {

std::string example_file(const std::string& name)
{
    return std::string(EXAMPLES_DIR) + "/" + name;
}

// The world of one gallery creature, stepped as the program's frame steps it (the drawn
// frame's positions to the last bit, as world_test checks).
class GalleryWorld {
public:
    explicit GalleryWorld(const std::string& network_file)
    {
        world = std::make_unique<World>(Network(network_file.c_str()));
        EXPECT_FALSE(world->creature.network_not_3_in_4_out) << network_file;
    }

    void step() { world->step_sensed(); }
    double distance() const
    {
        return std::hypot(world->creature.x - world->spotlight.x, world->creature.y - world->spotlight.y);
    }
    Spotlight& light() { return world->spotlight; }
    Creature& creature() { return world->creature; }

private:
    std::unique_ptr<World> world;
};

void place(GalleryWorld& world, double light_x, double light_y, double light_vx, double light_vy)
{
    world.light().x = light_x;
    world.light().y = light_y;
    world.light().vx = light_vx;
    world.light().vy = light_vy;
}

}  // namespace

TEST(GalleryBehaviour, FollowerStaysUnderTheMovingLight)
{
    for (const double speed : {1.0, -1.5}) {
        GalleryWorld world(example_file("follower.txt"));
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
    GalleryWorld world(example_file("follower.txt"));  // light at (100, 100) drifting by (1, 1)
    int lit_frames = 0;
    for (int frame = 0; frame < 3000; ++frame) {
        world.step();
        lit_frames += world.distance() < world.light().radius;
    }
    EXPECT_GT(lit_frames, 2500);
}

TEST(GalleryBehaviour, AvoiderLeavesTheLightAndRestsJustOutside)
{
    GalleryWorld world(example_file("avoider.txt"));
    place(world, 300.0, 220.0, 0.0, 0.0);
    for (int frame = 0; frame < 300; ++frame)
        world.step();
    const double rest_x = world.creature().x;
    EXPECT_GT(world.distance(), world.light().radius);
    EXPECT_LT(world.distance(), world.light().radius + 20.0);
    for (int frame = 0; frame < 100; ++frame)
        world.step();
    EXPECT_EQ(world.creature().x, rest_x);
}

TEST(GalleryBehaviour, CirclerCirclesTheCentreOfAStillLight)
{
    GalleryWorld world(example_file("circler.txt"));
    place(world, 300.0, 220.0, 0.0, 0.0);
    for (int frame = 0; frame < 300; ++frame)
        world.step();
    double turned = 0.0;
    double angle = std::atan2(world.creature().y - 220.0, world.creature().x - 300.0);
    for (int frame = 0; frame < 1000; ++frame) {
        world.step();
        EXPECT_GT(world.distance(), 3.0);
        EXPECT_LT(world.distance(), 30.0);
        const double next = std::atan2(world.creature().y - 220.0, world.creature().x - 300.0);
        turned += std::remainder(next - angle, 2.0 * M_PI);
        angle = next;
    }
    EXPECT_GT(std::fabs(turned), 3 * 2.0 * M_PI);  // at least three rounds
}

TEST(GalleryBehaviour, CirclerKeepsCirclingWithinTheMovingLight)
{
    GalleryWorld world(example_file("circler.txt"));
    place(world, 300.0, 215.0, 1.0, 1.0);
    for (int frame = 0; frame < 3000; ++frame) {
        world.step();
        if (frame >= 100) {
            ASSERT_LT(world.distance(), world.light().radius) << "frame " << frame;
        }
    }
}
