// Memory bitmaps and network files for net_tester's tests.
#include "tests/net_tester/headless.h"

#include <allegro.h>

#include <stdexcept>

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
