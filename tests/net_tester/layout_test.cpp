// Layout of a NetworkView on an 800 x 600 screen: columns, rows and the radius rule.
#include "network_view/network_view.h"
#include "tests/net_tester/headless.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using ViewLayout = NetworkViewTest;

struct Position {
    int index;
    int x;
    int y;
};

void expect_positions(const NetworkView& view, const std::vector<Position>& expected)
{
    for (const Position& p : expected) {
        ASSERT_LT(p.index, static_cast<int>(view.positions.size()));
        EXPECT_EQ(view.positions[p.index].x, p.x) << "x of neuron " << p.index;
        EXPECT_EQ(view.positions[p.index].y, p.y) << "y of neuron " << p.index;
    }
}

TEST_F(ViewLayout, TwoThreeOneSpreadsColumnsAndRows)
{
    const NetworkView view = view_of(network_layers({2, 3, 1}));

    ASSERT_EQ(view.positions.size(), 6u);
    expect_positions(view, {{0, 50, 30}, {1, 50, 570}, {2, 400, 30}, {3, 400, 300}, {4, 400, 570},
                            {5, 750, 30}});
    EXPECT_EQ(view.radius, 15);
    EXPECT_EQ(view.drawn_neurons, 6);
    EXPECT_EQ(view.drawn_inputs, 2);
    EXPECT_EQ(view.first_output, 5);
    EXPECT_DOUBLE_EQ(view.weight_scale, 10.0);
}

TEST_F(ViewLayout, OneLayerStaysInFirstColumnAndIsAllOutputs)
{
    const NetworkView view = view_of(network_layers({3}));

    ASSERT_EQ(view.positions.size(), 3u);
    expect_positions(view, {{0, 50, 30}, {1, 50, 300}, {2, 50, 570}});
    EXPECT_EQ(view.radius, 15);
    EXPECT_EQ(view.first_output, 0);
    EXPECT_EQ(view.drawn_inputs, 3);
}

TEST_F(ViewLayout, TwentyRowsShrinkTheRadius)
{
    const NetworkView view = view_of(network_layers({20}));

    ASSERT_EQ(view.positions.size(), 20u);
    // Rows 540 / 19 apart, truncated.
    expect_positions(view, {{0, 50, 30}, {1, 50, 58}, {3, 50, 115}, {19, 50, 570}});
    EXPECT_EQ(view.radius, 13);  // 28 / 3 + 4
}

TEST_F(ViewLayout, FourteenRowsGrowTheRadius)
{
    const NetworkView view = view_of(network_layers({14}));

    ASSERT_EQ(view.positions.size(), 14u);
    expect_positions(view, {{1, 50, 71}, {13, 50, 570}});
    EXPECT_EQ(view.radius, 17);  // 41 / 3 + 4, larger than the start value
}

TEST_F(ViewLayout, SeventeenColumnsSetTheRadiusFromColumnSpacing)
{
    const NetworkView view = view_of(network_layers(std::vector<int>(17, 2)));

    ASSERT_EQ(view.positions.size(), 34u);
    // Columns 43.75 apart, truncated.
    expect_positions(view, {{0, 50, 30}, {1, 50, 570}, {2, 93, 30}, {5, 137, 570}, {33, 750, 570}});
    EXPECT_EQ(view.radius, 18);  // trunc(43.75 / 3 + 4); 540 rows apart leave it
}

TEST_F(ViewLayout, SingleNeuronLayersStandAtTheTop)
{
    const NetworkView view = view_of(network_layers({1, 1}));

    ASSERT_EQ(view.positions.size(), 2u);
    expect_positions(view, {{0, 50, 30}, {1, 750, 30}});
    EXPECT_EQ(view.radius, 15);
}

TEST_F(ViewLayout, MissingFileLaysOutNothing)
{
    const NetworkView view(directory.file("absent.txt").c_str(), 800, 600);

    EXPECT_TRUE(view.positions.empty());
    EXPECT_EQ(view.radius, 15);
    EXPECT_EQ(view.drawn_neurons, 0);
    EXPECT_EQ(view.drawn_inputs, 0);
    EXPECT_EQ(view.first_output, 0);
    EXPECT_DOUBLE_EQ(view.weight_scale, 0.0);
}

}  // namespace
