// Palette ramps: every entry of a ramp towards a colour, and the end of the palette.
#include "palette/palette.h"
#include "tests/support/headless_allegro.h"

#include <allegro.h>
#include <gtest/gtest.h>

namespace {

class Ramps : public ::testing::Test {
protected:
    void SetUp() override
    {
        start_headless_allegro();
        for (int index = 0; index < 256; ++index)
            set_rgb(index, 1, 2, 3);
    }
};

TEST_F(Ramps, EveryEntryIsTheTopColourScaledByItsLevelRoundedDown)
{
    set_ramp(120, 0, 42, 63);

    for (int level = 0; level < ramp_length; ++level) {
        // Green two thirds of blue, as the tester's negative shades were always computed.
        const int green = static_cast<int>(level / 1.5);
        expect_palette({{120 + level, 0, green, level}});
    }
    expect_palette({{119, 1, 2, 3}, {184, 1, 2, 3}});
}

TEST_F(Ramps, AnOddTopRoundsDownOnEveryLevel)
{
    set_ramp(10, 5, 62, 31);

    expect_palette({{10, 0, 0, 0}, {11, 0, 0, 0}, {22, 0, 11, 5}, {42, 2, 31, 15}, {73, 5, 62, 31}});
}

TEST_F(Ramps, ARampNearTheEndStopsAtTheLastEntry)
{
    set_grey_ramp(230);

    expect_palette({{229, 1, 2, 3}, {230, 0, 0, 0}, {255, 25, 25, 25}, {0, 1, 2, 3}});
}

}  // namespace
