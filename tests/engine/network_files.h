// The test data files, and checks of what was built.
#ifndef TESTS_ENGINE_NETWORK_FILES_H
#define TESTS_ENGINE_NETWORK_FILES_H

#include "engine/network.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

inline std::string data_file(const std::string& name)
{
    return std::string(TEST_DATA_DIR) + "/" + name;
}

// One input feeding one computing neuron through the weight `weight`.
inline std::string one_link_network(const std::string& weight)
{
    return "input_layer: 1\ncomp_layer: 1\nweights: " + weight + "\n";
}

// Expects a network with no layers and no neurons, as a refused file gives.
inline void expect_empty(const Network& network)
{
    EXPECT_EQ(network.neuron_count(), 0);
    EXPECT_EQ(network.layer_count(), 0);
    EXPECT_EQ(network.input_count(), 0);
    EXPECT_EQ(network.output_count(), 0);
}

#endif
