// Encoding an RGB picture as PNG bytes in memory, so that the file can be written atomically.
#ifndef CREATURE_LAB_PNG_IMAGE_H
#define CREATURE_LAB_PNG_IMAGE_H

#include <string>
#include <vector>

struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> pixels;  // red, green, blue per pixel, rows from the top
};

// The PNG file of `image`; false, with the library's reason, when it cannot be encoded.
bool encode_png(const RgbImage& image, std::string& bytes, std::string& reason);

#endif
