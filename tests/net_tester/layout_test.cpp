// Layout of a NetworkView on an 800 x 600 screen: columns, rows and the radius rule.
#include "net_tester/network_view.h"
#include "tests/net_tester/headless.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class ViewLayout : public ::testing::Test {
protected:
    void SetUp() override { start_headless_allegro(); }

    NetworkView view_of(const std::string& text)
    {
        return NetworkView(write_network(directory, text).c_str(), 800, 600);
    }

    // Layer sizes as network records; weights are completed at random.
    static std::string layers(const std::vector<int>& sizes)
    {
        std::string text = "input_layer: " + std::to_string(sizes.front()) + "\n";
        for (std::size_t i = 1; i < sizes.size(); ++i)
            text += "comp_layer: " + std::to_string(sizes[i]) + "\n";
        return text;
    }

    TempDir directory;
};

void expect_position(const NetworkView& view, int index, int x, int y)
{
    ASSERT_LT(index, static_cast<int>(view.positions.size()));
    EXPECT_EQ(view.positions[index].x, x) << "x of neuron " << index;
    EXPECT_EQ(view.positions[index].y, y) << "y of neuron " << index;
}

TEST_F(ViewLayout, TwoThreeOneSpreadsColumnsAndRows)
{
    const NetworkView view = view_of(layers({2, 3, 1}));

    ASSERT_EQ(view.positions.size(), 6u);
    expect_position(view, 0, 50, 30);
    expect_position(view, 1, 50, 570);
    expect_position(view, 2, 400, 30);
    expect_position(view, 3, 400, 300);
    expect_position(view, 4, 400, 570);
    expect_position(view, 5, 750, 30);
    EXPECT_EQ(view.radius, 15);
    EXPECT_EQ(view.drawn_neurons, 6);
    EXPECT_EQ(view.drawn_inputs, 2);
    EXPECT_EQ(view.first_output, 5);
    EXPECT_DOUBLE_EQ(view.weight_scale, 10.0);
}

TEST_F(ViewLayout, OneLayerStaysInFirstColumnAndIsAllOutputs)
{
    const NetworkView view = view_of(layers({3}));

    ASSERT_EQ(view.positions.size(), 3u);
    expect_position(view, 0, 50, 30);
    expect_position(view, 1, 50, 300);
    expect_position(view, 2, 50, 570);
    EXPECT_EQ(view.radius, 15);
    EXPECT_EQ(view.first_output, 0);
    EXPECT_EQ(view.drawn_inputs, 3);
}

TEST_F(ViewLayout, TwentyRowsShrinkTheRadius)
{
    const NetworkView view = view_of(layers({20}));

    ASSERT_EQ(view.positions.size(), 20u);
    expect_position(view, 0, 50, 30);
    expect_position(view, 1, 50, 58);  // 540 / 19 apart, truncated
    expect_position(view, 3, 50, 115);
    expect_position(view, 19, 50, 570);
    EXPECT_EQ(view.radius, 13);  // 28 / 3 + 4
}

TEST_F(ViewLayout, FourteenRowsGrowTheRadius)
{
    const NetworkView view = view_of(layers({14}));

    ASSERT_EQ(view.positions.size(), 14u);
    expect_position(view, 1, 50, 71);
    expect_position(view, 13, 50, 570);
    EXPECT_EQ(view.radius, 17);  // 41 / 3 + 4, larger than the start value
}

TEST_F(ViewLayout, SeventeenColumnsSetTheRadiusFromColumnSpacing)
{
    const NetworkView view = view_of(layers(std::vector<int>(17, 2)));

    ASSERT_EQ(view.positions.size(), 34u);
    expect_position(view, 0, 50, 30);
    expect_position(view, 1, 50, 570);
    expect_position(view, 2, 93, 30);    // 43.75 apart, truncated
    expect_position(view, 5, 137, 570);
    expect_position(view, 33, 750, 570);
    EXPECT_EQ(view.radius, 18);  // trunc(43.75 / 3 + 4); 540 rows apart leave it
}

TEST_F(ViewLayout, SingleNeuronLayersStandAtTheTop)
{
    const NetworkView view = view_of(layers({1, 1}));

    ASSERT_EQ(view.positions.size(), 2u);
    expect_position(view, 0, 50, 30);
    expect_position(view, 1, 750, 30);
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
