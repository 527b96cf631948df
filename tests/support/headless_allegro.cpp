// Headless Allegro checks shared by the program tests.
#include "tests/support/headless_allegro.h"

#include "program_shell/start_up.h"

#include <allegro.h>
#include <gtest/gtest.h>

#include <stdexcept>

void start_headless_allegro()
{
    if (!start_headless_graphics())
        throw std::runtime_error(std::string("cannot install Allegro without a display: ") + allegro_error);
}

MemoryBitmap make_bitmap(int width, int height)
{
    start_headless_allegro();
    MemoryBitmap bitmap(create_bitmap_ex(8, width, height));
    if (!bitmap)
        throw std::runtime_error("cannot create a memory bitmap");
    clear_bitmap(bitmap.get());
    return bitmap;
}

std::string text_mismatch(BITMAP* bitmap, int x, int y, const std::string& text, int color)
{
    start_headless_allegro();
    const int width = text_length(font, text.c_str());
    const int height = text_height(font);
    // Drawn in another colour than `color`, so that a text in colour 0 still shows its ink.
    const int ink = color == 1 ? 2 : 1;
    const MemoryBitmap reference = make_bitmap(width, height);
    textout_ex(reference.get(), font, text.c_str(), 0, 0, ink, -1);
    for (int dy = 0; dy < height; ++dy) {
        for (int dx = 0; dx < width; ++dx) {
            const bool expected = getpixel(reference.get(), dx, dy) == ink;
            const bool found = getpixel(bitmap, x + dx, y + dy) == color;
            if (expected != found) {
                return "\"" + text + "\" differs at (" + std::to_string(x + dx) + ", " +
                       std::to_string(y + dy) + "), character " + std::to_string(dx / 8);
            }
        }
    }
    return "";
}

void expect_texts(BITMAP* bitmap, int color, const std::vector<PlacedText>& lines)
{
    for (const PlacedText& line : lines)
        EXPECT_EQ(text_mismatch(bitmap, line.x, line.y, line.text, color), "")
            << "text at (" << line.x << ", " << line.y << ")";
}

int count_color(BITMAP* bitmap, int x0, int y0, int x1, int y1, int color)
{
    int count = 0;
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x)
            count += getpixel(bitmap, x, y) == color;
    return count;
}

void expect_palette(const std::vector<PaletteEntry>& entries)
{
    for (const PaletteEntry& entry : entries) {
        RGB rgb;
        get_color(entry.index, &rgb);
        EXPECT_EQ(rgb.r, entry.r) << "red of entry " << entry.index;
        EXPECT_EQ(rgb.g, entry.g) << "green of entry " << entry.index;
        EXPECT_EQ(rgb.b, entry.b) << "blue of entry " << entry.index;
    }
}
