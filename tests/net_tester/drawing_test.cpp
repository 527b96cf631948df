// What a NetworkView paints: shades of outputs and weights, discs, rings, bars, values, lines.
#include "network_view/network_view.h"
#include "tests/net_tester/headless.h"

#include <allegro.h>
#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

class ViewDrawing : public NetworkViewTest {
protected:
    MemoryBitmap target = make_bitmap(800, 600);
};

// Two inputs feeding one output neuron with the given weights, threshold 0 and slope 1.
std::string two_to_one(const std::string& weights)
{
    return "input_layer: 2\ncomp_layer: 1\nweights: " + weights + "\ntreshold: 0\nslope_parameter: 1\n";
}

TEST_F(ViewDrawing, ShadesOutputsOnTheGreyRamp)
{
    const NetworkView view = view_of("input_layer: 1\n");

    EXPECT_EQ(view.shade_index(0.0), 190);
    EXPECT_EQ(view.shade_index(0.5), 221);
    EXPECT_EQ(view.shade_index(1.0), 253);
}

TEST_F(ViewDrawing, ShadesWeightsAgainstTheWeightScale)
{
    const NetworkView view = view_of("input_layer: 1\n");

    EXPECT_EQ(view.shade_index(view.weight_ratio(-5.0)), 151);
    EXPECT_EQ(view.shade_index(view.weight_ratio(10.0)), 253);
    EXPECT_EQ(view.shade_index(view.weight_ratio(-10.0)), 183);
    EXPECT_EQ(view.shade_index(view.weight_ratio(0.0)), 190);
}

TEST_F(ViewDrawing, WeightsBeyondTheScaleStayAtTheRampEnds)
{
    const NetworkView view = view_of("input_layer: 1\n");

    EXPECT_EQ(view.shade_index(view.weight_ratio(25.0)), 253);
    EXPECT_EQ(view.shade_index(view.weight_ratio(-25.0)), 183);
    EXPECT_EQ(view.shade_index(NAN), 190);
}

TEST_F(ViewDrawing, ZeroWeightScaleShadesBySignWithoutDividing)
{
    NetworkView view = view_of("input_layer: 1\n");
    view.weight_scale = 0.0;

    EXPECT_EQ(view.weight_ratio(3.0), 1.0);
    EXPECT_EQ(view.weight_ratio(-3.0), -1.0);
    EXPECT_EQ(view.weight_ratio(0.0), 0.0);
}

TEST_F(ViewDrawing, SetsItsPaletteEntries)
{
    const NetworkView view = view_of("input_layer: 1\n");

    expect_palette({{100, 0, 14, 48}, {101, 2, 35, 10}, {102, 0, 45, 0}, {120, 0, 0, 0},
                    {121, 0, 0, 1}, {150, 0, 20, 30}, {183, 0, 42, 63}, {190, 0, 0, 0},
                    {221, 31, 31, 31}, {253, 63, 63, 63}});
}

TEST_F(ViewDrawing, InputNeuronsOfOneLayerGetDiscRingBothBarsAndValue)
{
    NetworkView view = view_of("input_layer: 2\n");
    ASSERT_TRUE(view.set_inputs({1.0, 0.0}));
    view.draw(target.get(), -1);
    BITMAP* bmp = target.get();

    EXPECT_EQ(getpixel(bmp, 50, 30), 253);       // centre, value 1.0
    EXPECT_EQ(getpixel(bmp, 50 + 14, 30), 253);  // disc of radius 14
    EXPECT_EQ(getpixel(bmp, 50 + 15, 30), 100);  // ring in input_color
    EXPECT_EQ(getpixel(bmp, 50, 30 - 15), 100);
    EXPECT_EQ(getpixel(bmp, 50, 570), 190);      // value 0.0: black of the grey ramp
    // Bars of three rows from the left edge and, every neuron being an output, to the right edge.
    for (int y : {29, 30, 31}) {
        EXPECT_EQ(getpixel(bmp, 0, y), 100);
        EXPECT_EQ(getpixel(bmp, 20, y), 100);
        EXPECT_EQ(getpixel(bmp, 400, y), 100);
        EXPECT_EQ(getpixel(bmp, 799, y), 100);
    }
    EXPECT_EQ(getpixel(bmp, 20, 28), 0);
    EXPECT_EQ(getpixel(bmp, 20, 32), 0);
    EXPECT_EQ(text_mismatch(bmp, 35, 45, "1.000000", 101), "");
    EXPECT_EQ(text_mismatch(bmp, 35, 585, "0.000000", 101), "");
}

TEST_F(ViewDrawing, ComputingNeuronGetsItsRingOutputBarAndValue)
{
    NetworkView view = view_of("input_layer: 1\ncomp_layer: 1\nweights: 0\n");
    view.evaluate();  // no weight, threshold 0: output 0.5
    view.draw(target.get(), -1);
    BITMAP* bmp = target.get();

    EXPECT_EQ(getpixel(bmp, 750, 35), 221);        // disc, off the connection's line
    EXPECT_EQ(getpixel(bmp, 750, 30 - 15), 102);   // ring in computing_color
    EXPECT_EQ(getpixel(bmp, 50, 30 - 15), 100);    // the input's ring in input_color
    for (int y : {29, 31}) {
        EXPECT_EQ(getpixel(bmp, 10, y), 100);      // input bar from the left edge
        EXPECT_EQ(getpixel(bmp, 770, y), 100);     // output bar to the right edge
        EXPECT_EQ(getpixel(bmp, 799, y), 100);
        EXPECT_EQ(getpixel(bmp, 400, y), 0);       // no bar between the two
    }
    EXPECT_EQ(text_mismatch(bmp, 735, 45, "0.500000", 101), "");
    EXPECT_EQ(text_mismatch(bmp, 35, 45, "0.000000", 101), "");
}

TEST_F(ViewDrawing, LineBetweenSingleNeuronLayersIsHorizontalAndShadedByWeight)
{
    NetworkView view = view_of("input_layer: 1\ncomp_layer: 1\nweights: 5\n");
    view.draw(target.get(), -1);
    BITMAP* bmp = target.get();

    EXPECT_EQ(getpixel(bmp, 400, 30), 221);  // 5 / 10 of the grey ramp
    EXPECT_EQ(getpixel(bmp, 750, 30), 221);  // drawn over the disc of its own neuron
    EXPECT_EQ(getpixel(bmp, 400, 29), 0);
    EXPECT_EQ(getpixel(bmp, 400, 31), 0);
}

TEST_F(ViewDrawing, LinesFollowConnectionOrder)
{
    for (const bool negative_last : {true, false}) {
        const std::string weights = negative_last ? "5 -5" : "-5 5";
        const NetworkView view = view_of(two_to_one(weights));
        MemoryBitmap bmp = make_bitmap(800, 600);
        view.draw(bmp.get(), -1);

        // The lines meet at the output's centre; the last connection's line ends on top.
        EXPECT_EQ(getpixel(bmp.get(), 750, 30), negative_last ? 151 : 221) << weights;
        EXPECT_EQ(getpixel(bmp.get(), 400, 30), negative_last ? 221 : 151) << weights;
    }
}

TEST_F(ViewDrawing, LinesOfOversizedWeightsAndZeroScaleStayInTheirRamps)
{
    NetworkView view = view_of(two_to_one("25 -25"));
    view.draw(target.get(), -1);
    EXPECT_EQ(getpixel(target.get(), 400, 30), 253);
    EXPECT_EQ(getpixel(target.get(), 750, 30), 183);

    MemoryBitmap second = make_bitmap(800, 600);
    view.weight_scale = 0.0;
    view.draw(second.get(), -1);
    EXPECT_EQ(getpixel(second.get(), 400, 30), 253);
    EXPECT_EQ(getpixel(second.get(), 750, 30), 183);
}

TEST_F(ViewDrawing, NeverReadsPositionsBeyondTheirEnd)
{
    NetworkView view = view_of("input_layer: 2\ncomp_layer: 3\ncomp_layer: 1\n");
    view.positions.resize(1);
    view.drawn_neurons = 50;
    view.draw(target.get(), -1);
    BITMAP* bmp = target.get();

    EXPECT_EQ(getpixel(bmp, 50, 30), 190);       // neuron 0 is still drawn
    EXPECT_EQ(getpixel(bmp, 50 + 15, 30), 100);
    EXPECT_EQ(count_color(bmp, 300, 0, 799, 599, 0), 500 * 600);  // nothing further right
}

TEST_F(ViewDrawing, EmptyNetworkDrawsNothing)
{
    const NetworkView view(directory.file("absent.txt").c_str(), 800, 600);
    view.draw(target.get(), -1);

    EXPECT_EQ(count_color(target.get(), 0, 0, 799, 599, 0), 800 * 600);
}

// 20 x 5001 + 5001 x 1 connections would take seconds per frame to draw.
TEST_F(ViewDrawing, LeavesOutTheLinesOfAHugeNetworkAndSaysSo)
{
    const NetworkView view = view_of("input_layer: 20\ncomp_layer: 5001\ncomp_layer: 1\n");
    ASSERT_EQ(view.connection_count, 20 * 5001 + 5001);
    view.draw(target.get(), -1);

    // Between the first two columns (x 50 and 400), right of the input values, only lines could be drawn.
    EXPECT_EQ(count_color(target.get(), 110, 0, 360, 560, 0), 251 * 561);
    EXPECT_EQ(text_mismatch(target.get(), 2, 590, "105021 connections: too many to draw", view.text_color), "");
}

// Thousands of neurons in a column of a few hundred pixel rows: one shaded row per neuron shown,
// so that a frame costs the screen, not the network.
TEST_F(ViewDrawing, APackedLayerIsDrawnAsAColumnAndSaysSo)
{
    const NetworkView view = view_of("input_layer: 2\ncomp_layer: 30000\ncomp_layer: 1\n");
    ASSERT_GT(view.neuron_count(), NetworkLayout::max_drawn_neurons);
    view.draw(target.get(), -1);

    const int x = view.positions[2].x;
    const int top = view.positions[2].y;
    const int bottom = view.positions[30001].y;
    // Every row of the column holds a neuron's shade, and no neuron's value is written beside it.
    EXPECT_EQ(count_color(target.get(), x, top, x, bottom, 0), 0);
    EXPECT_EQ(count_color(target.get(), x - 20, top, x + 20, bottom - 20, view.text_color), 0);
    EXPECT_EQ(text_mismatch(target.get(), 2, 590, "a layer of more neurons than pixel rows shows one per row",
                            view.text_color),
              "");
}

TEST_F(ViewDrawing, DrawsTheLinesOfANetworkWithinTheBudget)
{
    const NetworkView view = view_of("input_layer: 20\ncomp_layer: 4000\ncomp_layer: 1\n");
    ASSERT_LE(view.connection_count, NetworkLayout::max_drawn_connections);
    view.draw(target.get(), -1);

    EXPECT_LT(count_color(target.get(), 110, 0, 360, 560, 0), 251 * 561 / 2);
    EXPECT_EQ(count_color(target.get(), 0, 590, 799, 599, view.text_color), 0);
}

}  // namespace
