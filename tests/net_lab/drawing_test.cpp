// The drawing pieces of net_lab on memory bitmaps: the map ramp, the map grid and the
// pattern dots.
#include "net_lab/input_maps.h"

#include "engine/network.h"
#include "tests/support/headless_allegro.h"
#include "tests/support/test_support.h"

#include <allegro.h>
#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr int ramp = 20;

TEST(MapRamp, RunsFromOneEndToTheOtherAndHoldsStrayValues)
{
    const struct {
        double value;
        int index;
    } cases[] = {{0.0, ramp}, {1.0, ramp + 63}, {0.5, ramp + 32}, {-3.0, ramp}, {7.0, ramp + 63}, {NAN, ramp + 32}};
    for (const auto& c : cases)
        EXPECT_EQ(map_ramp_index(c.value, ramp), c.index) << c.value;
}

TEST(MapGrid, FinerForSmallerNetworksWithinTheBudget)
{
    EXPECT_EQ(map_grid_cells(20), 128);
    EXPECT_EQ(map_grid_cells(46), 64);  // 2-2-1
    EXPECT_EQ(map_grid_cells(400), 32);
    EXPECT_EQ(map_grid_cells(11700), 16);  // 2-100-98-1
    EXPECT_EQ(map_grid_cells(0), 128);
}

TEST(MapPixel, InputOneRightInputTwoUp)
{
    const struct {
        double input1, input2;
        bool inside;
        int x, y;
    } cases[] = {{0, 0, true, 0, 255}, {1, 1, true, 255, 0}, {0.5, 0.5, true, 128, 128},
                 {1.01, 0.5, false, 0, 0}, {0.5, -0.1, false, 0, 0}, {NAN, 0, false, 0, 0}};
    for (const auto& c : cases) {
        int x = 0;
        int y = 0;
        ASSERT_EQ(map_pixel(c.input1, c.input2, output_map_size, x, y), c.inside) << c.input1 << " " << c.input2;
        if (c.inside) {
            EXPECT_EQ(x, c.x);
            EXPECT_EQ(y, c.y);
        }
    }
}

class InputMapsTest : public ::testing::Test {
protected:
    void SetUp() override { start_headless_allegro(); }

    Network network_of(const std::string& text)
    {
        const std::string path = directory.write("network.txt", text);
        Network network(path.c_str());
        network.read_training_section(path.c_str());
        return network;
    }

    TempDir directory;
};

TEST_F(InputMapsTest, GridHoldsTheOutputsOfItsCellCentres)
{
    Network network = network_of("input_layer: 2\ncomp_layer: 2\nweights: 3 -2\nweights: -1 4\n"
                                 "comp_layer: 1\nweights: 2 -5\n");
    InputMaps maps;
    maps.prepare(network, ramp);
    ASSERT_TRUE(maps.active());
    EXPECT_EQ(maps.mapped, (std::vector<int>{4, 2, 3}));
    maps.evaluate(network);
    const int grid = maps.grid;
    for (const auto& [column, row] : {std::pair{0, 0}, {grid - 1, 0}, {5, grid - 1}}) {
        network.set_inputs({(column + 0.5) / grid, 1.0 - (row + 0.5) / grid});
        network.evaluate();
        for (std::size_t index = 0; index < maps.mapped.size(); ++index)
            EXPECT_EQ(maps.value(static_cast<int>(index), column, row), network.neuron(maps.mapped[index]).output);
    }
}

TEST_F(InputMapsTest, OnlyTwoInputNetworksAreMapped)
{
    InputMaps maps;
    for (const char* text : {"input_layer: 3\ncomp_layer: 1\n", "input_layer: 2\n", ""}) {
        const Network network = network_of(text);
        maps.prepare(network, ramp);
        EXPECT_FALSE(maps.active()) << text;
    }
}

TEST_F(InputMapsTest, OutputMapShowsTheRampAcrossTheSquare)
{
    // One output that rises with input 1 alone: dark at the left, bright at the right.
    Network network = network_of("input_layer: 2\ncomp_layer: 1\nweights: 20 0\ntreshold: 10\nslope_parameter: 1\n");
    InputMaps maps;
    maps.prepare(network, ramp);
    maps.evaluate(network);
    MemoryBitmap bitmap = make_bitmap(300, 300);
    maps.draw_output_map(bitmap.get(), 10, 20);
    EXPECT_EQ(getpixel(bitmap.get(), 10, 20), map_ramp_index(maps.value(0, 0, 0), ramp));
    EXPECT_LT(getpixel(bitmap.get(), 10, 275), ramp + 2);
    EXPECT_GT(getpixel(bitmap.get(), 265, 20), ramp + 61);
    EXPECT_EQ(getpixel(bitmap.get(), 266, 20), 0);  // nothing beyond the map
}

TEST_F(InputMapsTest, PatternDotsStandAtTheirInputsInTheirExpectedColour)
{
    const Network network = network_of("input_layer: 2\ncomp_layer: 1\n"
                                       "pattern: 0 0 -> 1\npattern: 1 1 -> 0\npattern: 0.5 2 -> 1\npattern: 1 0 -> 0.5\n");
    MemoryBitmap bitmap = make_bitmap(300, 300);
    draw_pattern_dots(bitmap.get(), network, 10, 20, ramp, 84);
    EXPECT_EQ(getpixel(bitmap.get(), 10, 20 + 255), ramp + 63);  // (0, 0) at the bottom left, expected 1
    EXPECT_EQ(getpixel(bitmap.get(), 10 + 255, 20), ramp);       // (1, 1) at the top right, expected 0
    EXPECT_EQ(getpixel(bitmap.get(), 10 + 255, 20 + 255), ramp + 32);
    EXPECT_EQ(getpixel(bitmap.get(), 10 + 255 + 4, 20 + 255), 84);  // its ring
    EXPECT_EQ(count_color(bitmap.get(), 0, 0, 299, 299, ramp + 63), count_color(bitmap.get(), 0, 0, 299, 299, ramp));
    EXPECT_EQ(count_color(bitmap.get(), 130, 0, 150, 19, 84), 0);  // (0.5, 2) lies off the map
}

}  // namespace
