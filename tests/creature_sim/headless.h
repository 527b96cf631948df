// Helpers of the creature simulator's headless tests: 8-bit memory bitmaps, a fixture with
// a target and a temporary directory, and the texts of small network files.
#ifndef TESTS_CREATURE_SIM_HEADLESS_H
#define TESTS_CREATURE_SIM_HEADLESS_H

#include "creature_sim/bitmap_ptr.h"
#include "tests/support/headless_allegro.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <string>

// A cleared 8-bit memory bitmap.
BitmapPtr make_target(int width = 640, int height = 480);

// A test drawing on a cleared 640 x 480 target, with a directory of its own for files.
class HeadlessTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        start_headless_allegro();
        target = make_target();
        ASSERT_TRUE(target);
    }

    // A path in the test's directory that no file holds.
    std::string missing_path() const { return directory.file("no_such_network.txt"); }

    TempDir directory;
    BitmapPtr target;
};

// Network file texts: 3 inputs and 4 outputs whose outputs, with every input 0, are the
// four given values (through one hidden neuron of output 0.5).
std::string network_with_outputs(double left, double right, double up, double down);
std::string network_with_sizes(int inputs, int outputs);

#endif
