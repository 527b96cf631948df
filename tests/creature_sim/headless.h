// Helpers of the creature simulator's headless tests: the library without a display,
// 8-bit memory bitmaps, network files in a unique temporary path, and text comparison.
#ifndef TESTS_CREATURE_SIM_HEADLESS_H
#define TESTS_CREATURE_SIM_HEADLESS_H

#include "creature_sim/bitmap_ptr.h"

#include <string>

// Starts the library with no system driver and 8 bits per pixel, once per process.
void start_headless_library();

// A cleared 8-bit memory bitmap.
BitmapPtr make_target(int width = 640, int height = 480);

// A file written under the test's own temporary directory, removed again by the destructor.
class TempFile {
public:
    TempFile(const std::string& name, const std::string& content);
    ~TempFile();
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    const char* path() const { return path_.c_str(); }

private:
    std::string path_;
};

// A path under the temporary directory that no file holds.
std::string missing_path();

// True when exactly the pixels of `text`, drawn at (x, y) in `color` with the built-in font,
// have that colour inside the text's box.
bool shows_text(BITMAP* bitmap, const std::string& text, int x, int y, int color);

// Network file texts: 3 inputs and 4 outputs whose outputs, with every input 0, are the
// four given values (through one hidden neuron of output 0.5).
std::string network_with_outputs(double left, double right, double up, double down);
std::string network_with_sizes(int inputs, int outputs);

#endif
