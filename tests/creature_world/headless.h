// Helpers of the headless tests of the creature world and the simulator: a fixture with a
// 640 x 480 target and a temporary directory, and the texts of small network files.
#ifndef TESTS_CREATURE_WORLD_HEADLESS_H
#define TESTS_CREATURE_WORLD_HEADLESS_H

#include "tests/support/headless_allegro.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <string>

// A test drawing on a cleared 640 x 480 target, with a directory of its own for files.
class HeadlessTest : public ::testing::Test {
protected:
    // A path in the test's directory that no file holds.
    std::string missing_path() const { return directory.file("no_such_network.txt"); }

    TempDir directory;
    MemoryBitmap target = make_bitmap(640, 480);
};

// A network file text: 3 inputs and 4 outputs whose outputs, with every input 0, are the
// four given values (through one hidden neuron of output 0.5).
std::string network_with_outputs(double left, double right, double up, double down);

#endif
