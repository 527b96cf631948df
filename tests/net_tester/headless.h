// The fixture of net_tester's view tests: a NetworkView built from a network file's text,
// written into the test's own temporary directory.
#ifndef TESTS_NET_TESTER_HEADLESS_H
#define TESTS_NET_TESTER_HEADLESS_H

#include "network_view/network_view.h"
#include "tests/support/headless_allegro.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <string>

// A test that lays networks out on an 800 x 600 screen.
class NetworkViewTest : public ::testing::Test {
protected:
    void SetUp() override { start_headless_allegro(); }

    NetworkView view_of(const std::string& text)
    {
        return NetworkView(directory.write("network.txt", text).c_str(), 800, 600);
    }

    TempDir directory;
};

#endif
