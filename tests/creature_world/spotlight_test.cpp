// The spotlight: its sprite of light levels, its motion and bounces, its radius ceiling.
#include "creature_world/spotlight.h"

#include "creature_world/scene_drawing.h"
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
    Spotlight spotlight(640, 480, base);
    ASSERT_FALSE(spotlight.sprite.empty());
    EXPECT_EQ(spotlight.sprite.side, 128);
    EXPECT_EQ(spotlight.sprite.side, 128);
    EXPECT_EQ(spotlight.sprite.at(63, 63), base + 63);
    EXPECT_EQ(spotlight.sprite.at(0, 0), 0);
}

TEST_F(SpotlightTest, DiscOfRadiusNHasLevel64MinusN)
{
    Spotlight spotlight(640, 480, base);
    for (int n = 1; n <= 64; ++n)
        EXPECT_EQ(spotlight.sprite.at(63 + n, 63), base + 64 - n) << "n = " << n;
    // The outermost ring loses its leftmost column at the bitmap's edge: x = -1 is outside.
    EXPECT_EQ(spotlight.sprite.at(0, 63), base + 1);
}

TEST_F(SpotlightTest, Radius4SpriteHasFourLevelsFromRimToCentre)
{
    Spotlight spotlight(640, 480, base);
    spotlight.radius = 4;
    LightSprite sprite = spotlight.make_sprite();
    ASSERT_FALSE(sprite.empty());
    EXPECT_EQ(sprite.side, 8);
    EXPECT_EQ(sprite.side, 8);
    std::set<int> indices;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            indices.insert(sprite.at(x, y));
    EXPECT_EQ(indices, (std::set<int>{0, base + 0, base + 16, base + 32, base + 48}));
    EXPECT_EQ(sprite.at(3, 3), base + 48);
    EXPECT_EQ(sprite.at(7, 3), base + 0);
}

TEST_F(SpotlightTest, Radius1SpriteIsOneDiscOfLevel0)
{
    Spotlight spotlight(640, 480, base);
    spotlight.radius = 1;
    LightSprite sprite = spotlight.make_sprite();
    ASSERT_FALSE(sprite.empty());
    EXPECT_EQ(sprite.side, 2);
    EXPECT_EQ(sprite.at(0, 0), base);
}

// The sprite is built without Allegro; it must hold the pixels Allegro's own discs give, or
// the page and creature_lab would sense another light than creature_sim draws.
TEST_F(SpotlightTest, SpriteEqualsDiscsFilledByAllegro)
{
    Spotlight spotlight(640, 480, base);
    for (const int radius : {1, 2, 3, 4, 5, 7, 10, 13, 31, 64, 65, 99, 100, 257, Spotlight::max_radius}) {
        spotlight.radius = radius;
        const LightSprite sprite = spotlight.make_sprite();
        MemoryBitmap drawn = make_bitmap(2 * radius, 2 * radius);
        for (int n = radius; n >= 1; --n)
            circlefill(drawn.get(), radius - 1, radius - 1, n, ((radius - n) * 64) / radius + base);
        ASSERT_EQ(sprite.side, 2 * radius);
        int mismatches = 0;
        for (int y = 0; y < sprite.side; ++y)
            for (int x = 0; x < sprite.side; ++x)
                mismatches += sprite.at(x, y) != getpixel(drawn.get(), x, y);
        EXPECT_EQ(mismatches, 0) << "radius " << radius;
    }
}

TEST_F(SpotlightTest, StartsAt100MovingDiagonally)
{
    Spotlight spotlight(640, 480, base);
    EXPECT_EQ(spotlight.radius, 64);
    expect_motion(spotlight, 100.0, 100.0, 1.0, 1.0);
    EXPECT_EQ(spotlight.draw_x, 36);
    EXPECT_EQ(spotlight.draw_y, 36);
    EXPECT_EQ(spotlight.sprite_radius, 64);
}

TEST_F(SpotlightTest, DrawPutsTheCentreAt99AndKeepsTheBackgroundAroundTheDisc)
{
    Spotlight spotlight(640, 480, base);
    clear_to_color(target.get(), 7);
    draw_spotlight(target.get(), spotlight);
    EXPECT_EQ(getpixel(target.get(), 99, 99), base + 63);
    EXPECT_EQ(getpixel(target.get(), 36, 36), 7);
    EXPECT_EQ(getpixel(target.get(), 163, 99), base);
}

TEST_F(SpotlightTest, BouncesAtTheBottomAtUpdate381)
{
    Spotlight spotlight(640, 480, base);
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
    Spotlight spotlight(640, 480, base);
    update_times(spotlight, 540);
    EXPECT_EQ(spotlight.x, 640.0);
    EXPECT_EQ(spotlight.vx, 1.0);
    spotlight.update();
    EXPECT_EQ(spotlight.x, 640.0);
    EXPECT_EQ(spotlight.vx, -1.0);
}

TEST_F(SpotlightTest, BouncesAtTheTopAndLeftEdges)
{
    Spotlight spotlight(640, 480, base);
    spotlight.x = 0.5;
    spotlight.y = 0.5;
    spotlight.vx = -1.0;
    spotlight.vy = -2.0;
    spotlight.update();
    expect_motion(spotlight, 0.0, 0.0, 1.0, 2.0);
}

TEST_F(SpotlightTest, PushedPastTheLeftEdgeAtRestStaysAtZero)
{
    Spotlight spotlight(640, 480, base);
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
    Spotlight spotlight(640, 480, base);
    spotlight.radius = 32;
    EXPECT_EQ(spotlight.sprite.side, 128);
    spotlight.update();
    EXPECT_EQ(spotlight.sprite.side, 64);
    EXPECT_EQ(spotlight.sprite_radius, 32);
    EXPECT_EQ(spotlight.sprite.at(31, 31), base + 62);
    EXPECT_EQ(spotlight.draw_x, 101 - 32);
}

TEST_F(SpotlightTest, RadiusAboveTheCeilingIsHeldAtTheCeiling)
{
    Spotlight spotlight(640, 480, base);
    spotlight.radius = 100000;
    spotlight.update();
    EXPECT_EQ(spotlight.radius, Spotlight::max_radius);
    EXPECT_EQ(spotlight.sprite_radius, Spotlight::max_radius);
    ASSERT_FALSE(spotlight.sprite.empty());
    EXPECT_EQ(spotlight.sprite.side, 2 * Spotlight::max_radius);
}

TEST_F(SpotlightTest, CeilingCoversTheWholeScreenFromAnyCorner)
{
    Spotlight spotlight(640, 480, base);
    spotlight.radius = Spotlight::max_radius;
    spotlight.vx = spotlight.vy = 0.0;
    for (const double corner_x : {0.0, 640.0})
        for (const double corner_y : {0.0, 480.0}) {
            clear_bitmap(target.get());
            spotlight.x = corner_x;
            spotlight.y = corner_y;
            spotlight.update();
            draw_spotlight(target.get(), spotlight);
            for (const int x : {0, 639})
                for (const int y : {0, 479})
                    EXPECT_GE(getpixel(target.get(), x, y), base)
                        << "light at " << corner_x << ", " << corner_y;
        }
}

TEST_F(SpotlightTest, CopyOwnsItsOwnSprite)
{
    Spotlight spotlight(640, 480, base);
    Spotlight copy(spotlight);
    ASSERT_FALSE(copy.sprite.empty());
    EXPECT_NE(copy.sprite.pixels.data(), spotlight.sprite.pixels.data());
    EXPECT_EQ(copy.sprite.at(63, 63), base + 63);
}

}  // namespace
