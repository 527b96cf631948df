// Helpers of net_tester's tests: 8-bit memory bitmaps, network files in a test's own
// temporary directory, and a fixture that builds a NetworkView from a file's text.
#ifndef TESTS_NET_TESTER_HEADLESS_H
#define TESTS_NET_TESTER_HEADLESS_H

#include "net_tester/network_view.h"
#include "tests/support/headless_allegro.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

struct BitmapDeleter {
    void operator()(BITMAP* bitmap) const;
};
using BitmapPtr = std::unique_ptr<BITMAP, BitmapDeleter>;

// A cleared 8-bit memory bitmap, 800 x 600 unless told otherwise.
BitmapPtr make_bitmap(int width = 800, int height = 600);

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
