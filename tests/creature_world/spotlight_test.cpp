// The spotlight: its sprite of light levels, its motion and bounces, its radius ceiling.
#include "creature_world/spotlight.h"

#include "tests/creature_world/headless.h"

#include <allegro.h>
#include <gtest/gtest.h>

#include <set>

namespace {

constexpr int base = 100;

using SpotlightTest = HeadlessTest;

void expect_motion(const Spotlight& spotlight, double x, double y, double vx, double vy)
{
    EXPECT_EQ(spotlight.x, x);
    EXPECT_EQ(spotlight.y, y);
    EXPECT_EQ(spotlight.vx, vx);
    EXPECT_EQ(spotlight.vy, vy);
}

void update_times(Spotlight& spotlight, int updates)
{
    for (int i = 0; i < updates; ++i)
        spotlight.update();
}

TEST_F(SpotlightTest, Radius64SpriteIs128SquareWithCentreAt63)
{
    Spotlight spotlight(target.get(), base);
    ASSERT_TRUE(spotlight.sprite);
    EXPECT_EQ(spotlight.sprite->w, 128);
    EXPECT_EQ(spotlight.sprite->h, 128);
    EXPECT_EQ(getpixel(spotlight.sprite.get(), 63, 63), base + 63);
    EXPECT_EQ(getpixel(spotlight.sprite.get(), 0, 0), 0);
}

TEST_F(SpotlightTest, DiscOfRadiusNHasLevel64MinusN)
{
    Spotlight spotlight(target.get(), base);
    for (int n = 1; n <= 64; ++n)
        EXPECT_EQ(getpixel(spotlight.sprite.get(), 63 + n, 63), base + 64 - n) << "n = " << n;
    // The outermost ring loses its leftmost column at the bitmap's edge: x = -1 is outside.
    EXPECT_EQ(getpixel(spotlight.sprite.get(), 0, 63), base + 1);
}

TEST_F(SpotlightTest, Radius4SpriteHasFourLevelsFromRimToCentre)
{
    Spotlight spotlight(target.get(), base);
    spotlight.radius = 4;
    BitmapPtr sprite = spotlight.make_sprite();
    ASSERT_TRUE(sprite);
    EXPECT_EQ(sprite->w, 8);
    EXPECT_EQ(sprite->h, 8);
    std::set<int> indices;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            indices.insert(getpixel(sprite.get(), x, y));
    EXPECT_EQ(indices, (std::set<int>{0, base + 0, base + 16, base + 32, base + 48}));
    EXPECT_EQ(getpixel(sprite.get(), 3, 3), base + 48);
    EXPECT_EQ(getpixel(sprite.get(), 7, 3), base + 0);
}

TEST_F(SpotlightTest, Radius1SpriteIsOneDiscOfLevel0)
{
    Spotlight spotlight(target.get(), base);
    spotlight.radius = 1;
    BitmapPtr sprite = spotlight.make_sprite();
    ASSERT_TRUE(sprite);
    EXPECT_EQ(sprite->w, 2);
    EXPECT_EQ(getpixel(sprite.get(), 0, 0), base);
}

TEST_F(SpotlightTest, StartsAt100MovingDiagonally)
{
    Spotlight spotlight(target.get(), base);
    EXPECT_EQ(spotlight.radius, 64);
    expect_motion(spotlight, 100.0, 100.0, 1.0, 1.0);
    EXPECT_EQ(spotlight.draw_x, 36);
    EXPECT_EQ(spotlight.draw_y, 36);
    EXPECT_EQ(spotlight.sprite_radius, 64);
}

TEST_F(SpotlightTest, DrawPutsTheCentreAt99AndKeepsTheBackgroundAroundTheDisc)
{
    Spotlight spotlight(target.get(), base);
    clear_to_color(target.get(), 7);
    spotlight.draw();
    EXPECT_EQ(getpixel(target.get(), 99, 99), base + 63);
    EXPECT_EQ(getpixel(target.get(), 36, 36), 7);
    EXPECT_EQ(getpixel(target.get(), 163, 99), base);
}

TEST_F(SpotlightTest, BouncesAtTheBottomAtUpdate381)
{
    Spotlight spotlight(target.get(), base);
    update_times(spotlight, 380);
    EXPECT_EQ(spotlight.y, 480.0);
    EXPECT_EQ(spotlight.vy, 1.0);
    spotlight.update();
    EXPECT_EQ(spotlight.y, 480.0);
    EXPECT_EQ(spotlight.vy, -1.0);
    EXPECT_EQ(spotlight.draw_y, 480 - 64);
}

TEST_F(SpotlightTest, BouncesAtTheRightEdgeAtUpdate541)
{
    Spotlight spotlight(target.get(), base);
    update_times(spotlight, 540);
    EXPECT_EQ(spotlight.x, 640.0);
    EXPECT_EQ(spotlight.vx, 1.0);
    spotlight.update();
    EXPECT_EQ(spotlight.x, 640.0);
    EXPECT_EQ(spotlight.vx, -1.0);
}

TEST_F(SpotlightTest, BouncesAtTheTopAndLeftEdges)
{
    Spotlight spotlight(target.get(), base);
    spotlight.x = 0.5;
    spotlight.y = 0.5;
    spotlight.vx = -1.0;
    spotlight.vy = -2.0;
    spotlight.update();
    expect_motion(spotlight, 0.0, 0.0, 1.0, 2.0);
}

TEST_F(SpotlightTest, PushedPastTheLeftEdgeAtRestStaysAtZero)
{
    Spotlight spotlight(target.get(), base);
    spotlight.vx = 0.0;
    spotlight.vy = 0.0;
    spotlight.x = -37.0;
    spotlight.update();
    EXPECT_EQ(spotlight.x, 0.0);
    spotlight.update();
    EXPECT_EQ(spotlight.x, 0.0);
    EXPECT_EQ(spotlight.vx, 0.0);
}

TEST_F(SpotlightTest, NewRadiusTakesEffectAtTheNextUpdate)
{
    Spotlight spotlight(target.get(), base);
    spotlight.radius = 32;
    EXPECT_EQ(spotlight.sprite->w, 128);
    spotlight.update();
    EXPECT_EQ(spotlight.sprite->w, 64);
    EXPECT_EQ(spotlight.sprite_radius, 32);
    EXPECT_EQ(getpixel(spotlight.sprite.get(), 31, 31), base + 62);
    EXPECT_EQ(spotlight.draw_x, 101 - 32);
}

TEST_F(SpotlightTest, RadiusAboveTheCeilingIsHeldAtTheCeiling)
{
    Spotlight spotlight(target.get(), base);
    spotlight.radius = 100000;
    spotlight.update();
    EXPECT_EQ(spotlight.radius, Spotlight::max_radius);
    EXPECT_EQ(spotlight.sprite_radius, Spotlight::max_radius);
    ASSERT_TRUE(spotlight.sprite);
    EXPECT_EQ(spotlight.sprite->w, 2 * Spotlight::max_radius);
}

TEST_F(SpotlightTest, CeilingCoversTheWholeScreenFromAnyCorner)
{
    Spotlight spotlight(target.get(), base);
    spotlight.radius = Spotlight::max_radius;
    spotlight.vx = spotlight.vy = 0.0;
    for (const double corner_x : {0.0, 640.0})
        for (const double corner_y : {0.0, 480.0}) {
            clear_bitmap(target.get());
            spotlight.x = corner_x;
            spotlight.y = corner_y;
            spotlight.update();
            spotlight.draw();
            for (const int x : {0, 639})
                for (const int y : {0, 479})
                    EXPECT_GE(getpixel(target.get(), x, y), base)
                        << "light at " << corner_x << ", " << corner_y;
        }
}

TEST_F(SpotlightTest, CopyOwnsItsOwnSprite)
{
    Spotlight spotlight(target.get(), base);
    Spotlight copy(spotlight);
    ASSERT_TRUE(copy.sprite);
    EXPECT_NE(copy.sprite.get(), spotlight.sprite.get());
    EXPECT_EQ(getpixel(copy.sprite.get(), 63, 63), base + 63);
}

}  // namespace
