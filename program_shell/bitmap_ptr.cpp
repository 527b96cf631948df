// Releases bitmaps owned through BitmapPtr.
#include "program_shell/bitmap_ptr.h"

#include <allegro.h>

void BitmapDeleter::operator()(BITMAP* bitmap) const
{
    destroy_bitmap(bitmap);
}
