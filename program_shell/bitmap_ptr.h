// Single ownership of an Allegro bitmap: a unique_ptr whose deleter calls destroy_bitmap.
// The header stays free of allegro.h; it only declares the library's BITMAP struct.
#ifndef PROGRAM_SHELL_BITMAP_PTR_H
#define PROGRAM_SHELL_BITMAP_PTR_H

#include <memory>

struct BITMAP;

struct BitmapDeleter {
    void operator()(BITMAP* bitmap) const;
};

using BitmapPtr = std::unique_ptr<BITMAP, BitmapDeleter>;

#endif
