// Checks shared by the program tests on Allegro without a display: the library started once,
// owned memory bitmaps, text of the built-in font, counted colours and palette entries.
#ifndef TESTS_SUPPORT_HEADLESS_ALLEGRO_H
#define TESTS_SUPPORT_HEADLESS_ALLEGRO_H

#include "program_shell/bitmap_ptr.h"

#include <string>
#include <vector>

struct BITMAP;

// Installs Allegro with no system driver and 8-bit colour, once per process; throws when
// the library cannot start.
void start_headless_allegro();

using MemoryBitmap = BitmapPtr;

// A cleared 8-bit memory bitmap; starts the library first and throws when none can be made.
MemoryBitmap make_bitmap(int width, int height);

// Empty when `text` in the built-in font stands at (x, y) in `color`: every pixel of the
// text's box is in `color` exactly where the glyphs have ink. Otherwise tells the first miss.
std::string text_mismatch(BITMAP* bitmap, int x, int y, const std::string& text, int color);

// One line of a panel: where its text starts and what it says.
struct PlacedText {
    int x;
    int y;
    std::string text;
};

// Expects every line in `color`, each failure naming its text and place.
void expect_texts(BITMAP* bitmap, int color, const std::vector<PlacedText>& lines);

// Number of pixels of `color` in the box from (x0, y0) to (x1, y1), ends included.
int count_color(BITMAP* bitmap, int x0, int y0, int x1, int y1, int color);

// One entry of the palette and the colour it should hold.
struct PaletteEntry {
    int index;
    int r;
    int g;
    int b;
};

// Expects each entry of the current palette to hold its colour.
void expect_palette(const std::vector<PaletteEntry>& entries);

#endif
