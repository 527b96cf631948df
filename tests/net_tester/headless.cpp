// Headless Allegro helpers for net_tester's tests.
#include "tests/net_tester/headless.h"

#include <allegro.h>

#include <cerrno>
#include <cstdlib>
#include <stdexcept>

void start_headless_allegro()
{
    static bool started = false;
    if (started)
        return;
    if (install_allegro(SYSTEM_NONE, &errno, atexit) != 0)
        throw std::runtime_error("cannot install Allegro without a display");
    set_color_depth(8);
    started = true;
}

void BitmapDeleter::operator()(BITMAP* bitmap) const
{
    destroy_bitmap(bitmap);
}

BitmapPtr make_bitmap(int width, int height)
{
    start_headless_allegro();
    BitmapPtr bitmap(create_bitmap(width, height));
    if (!bitmap)
        throw std::runtime_error("cannot create a memory bitmap");
    clear_bitmap(bitmap.get());
    return bitmap;
}

std::string write_network(const TempDir& directory, const std::string& text, const std::string& name)
{
    const std::string path = directory.file(name);
    write_text_file(path, text);
    return path;
}

std::string text_mismatch(BITMAP* bitmap, int x, int y, const std::string& text, int color)
{
    const int width = 8 * static_cast<int>(text.size());
    BitmapPtr reference = make_bitmap(width, 8);
    const int ink = color == 1 ? 2 : 1;
    textout_ex(reference.get(), font, text.c_str(), 0, 0, ink, -1);
    for (int dy = 0; dy < 8; ++dy) {
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

int count_color(BITMAP* bitmap, int x0, int y0, int x1, int y1, int color)
{
    int count = 0;
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x)
            count += getpixel(bitmap, x, y) == color;
    return count;
}
