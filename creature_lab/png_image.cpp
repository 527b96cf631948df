// PNG encoding through libpng, its errors turned from longjmp into a false result.
#include "creature_lab/png_image.h"

#include <png.h>

namespace {

struct WriteTarget {
    std::string* bytes;
    std::string* reason;
};

void append_bytes(png_structp png, png_bytep data, png_size_t length)
{
    auto* target = static_cast<WriteTarget*>(png_get_io_ptr(png));
    target->bytes->append(reinterpret_cast<const char*>(data), length);
}

void no_flush(png_structp) {}

void on_error(png_structp png, png_const_charp message)
{
    auto* target = static_cast<WriteTarget*>(png_get_error_ptr(png));
    *target->reason = message;
    png_longjmp(png, 1);
}

void on_warning(png_structp, png_const_charp) {}

}  // namespace

bool encode_png(const RgbImage& image, std::string& bytes, std::string& reason)
{
    bytes.clear();
    const std::size_t row_bytes = static_cast<std::size_t>(image.width) * 3;
    if (image.width <= 0 || image.height <= 0 ||
        image.pixels.size() != row_bytes * static_cast<std::size_t>(image.height)) {
        reason = "the picture has no pixels";
        return false;
    }
    WriteTarget target{&bytes, &reason};
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &target, on_error, on_warning);
    if (!png) {
        reason = "cannot start the PNG library";
        return false;
    }
    png_infop info = png_create_info_struct(png);
    // Everything set before the jump point and read after it is a pointer held by libpng or
    // an object outside this frame, so nothing is left undefined by the longjmp.
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        if (reason.empty())
            reason = "cannot encode the picture";
        bytes.clear();
        return false;
    }
    png_set_write_fn(png, &target, append_bytes, no_flush);
    png_set_IHDR(png, info, static_cast<png_uint_32>(image.width), static_cast<png_uint_32>(image.height), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int row = 0; row < image.height; ++row)
        png_write_row(png, image.pixels.data() + row_bytes * static_cast<std::size_t>(row));
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return true;
}
