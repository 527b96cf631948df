// Headless Allegro and small fixtures for the creature simulator's tests.
#include "headless.h"

#include <allegro.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <unistd.h>

void start_headless_library()
{
    static const bool started = [] {
        const bool ok = install_allegro(SYSTEM_NONE, &errno, atexit) == 0;
        set_color_depth(8);
        return ok;
    }();
    ASSERT_TRUE(started) << allegro_error;
}

BitmapPtr make_target(int width, int height)
{
    BitmapPtr target(create_bitmap_ex(8, width, height));
    if (target)
        clear_bitmap(target.get());
    return target;
}

namespace {

// Unique per process and call, and short enough to be shown whole on screen.
std::string unique_prefix()
{
    static int serial = 0;
    std::ostringstream prefix;
    prefix << ::testing::TempDir() << "cs_" << getpid() << "_" << ++serial << "_";
    return prefix.str();
}

}  // namespace

TempFile::TempFile(const std::string& name, const std::string& content)
    : path_(unique_prefix() + name)
{
    std::ofstream(path_) << content;
}

TempFile::~TempFile()
{
    std::remove(path_.c_str());
}

std::string missing_path()
{
    return unique_prefix() + "no_such_network.txt";
}

bool shows_text(BITMAP* bitmap, const std::string& text, int x, int y, int color)
{
    const int width = text_length(font, text.c_str());
    const int height = text_height(font);
    BitmapPtr expected = make_target(width, height);
    textout_ex(expected.get(), font, text.c_str(), 0, 0, color, -1);
    for (int dy = 0; dy < height; ++dy)
        for (int dx = 0; dx < width; ++dx) {
            const bool want = getpixel(expected.get(), dx, dy) == color;
            const bool have = getpixel(bitmap, x + dx, y + dy) == color;
            if (want != have)
                return false;
        }
    return true;
}

std::string network_with_outputs(double left, double right, double up, double down)
{
    // The hidden neuron has no input weight worth anything: with inputs 0 it outputs 0.5,
    // so an output neuron of weight w gives 1 / (1 + exp(-0.5 w)).
    auto weight_for = [](double output) { return 2.0 * std::log(output / (1.0 - output)); };
    std::ostringstream file;
    file.precision(17);
    file << "input_layer: 3\ncomp_layer: 1\n  weights: 0 0 0\ncomp_layer: 4\n";
    for (double output : {left, right, up, down})
        file << "  weights: " << weight_for(output) << "\n";
    file << "treshold: 0\nslope_parameter: 1\n";
    return file.str();
}

std::string network_with_sizes(int inputs, int outputs)
{
    std::ostringstream file;
    file << "input_layer: " << inputs << "\ncomp_layer: " << outputs << "\n";
    return file.str();
}
