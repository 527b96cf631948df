// Releases bitmaps owned through BitmapPtr.
#include "creature_sim/bitmap_ptr.h"

#include <allegro.h>

void BitmapDeleter::operator()(BITMAP* bitmap) const
{
    destroy_bitmap(bitmap);
}
