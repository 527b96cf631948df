// Headless Allegro for net_tester's tests: no display, 8-bit memory bitmaps, text checks,
// and network files written into a test's own temporary directory.
#ifndef TESTS_NET_TESTER_HEADLESS_H
#define TESTS_NET_TESTER_HEADLESS_H

#include "tests/support/test_support.h"

#include <memory>
#include <string>

struct BITMAP;

// Installs Allegro without a display (once per process) with 8-bit colour.
void start_headless_allegro();

struct BitmapDeleter {
    void operator()(BITMAP* bitmap) const;
};
using BitmapPtr = std::unique_ptr<BITMAP, BitmapDeleter>;

// A cleared 8-bit memory bitmap, 800 x 600 unless told otherwise.
BitmapPtr make_bitmap(int width = 800, int height = 600);

// Writes `text` as a network file in `directory` and returns its path.
std::string write_network(const TempDir& directory, const std::string& text,
                          const std::string& name = "network.txt");

// Empty when `text` in the built-in font stands at (x, y) in `color`: every pixel of the
// text's box is in `color` exactly where the glyphs have ink. Otherwise tells the first miss.
std::string text_mismatch(BITMAP* bitmap, int x, int y, const std::string& text, int color);

// Number of pixels of `color` in the box from (x0, y0) to (x1, y1), ends included.
int count_color(BITMAP* bitmap, int x0, int y0, int x1, int y1, int color);

#endif
