// The maps and the error measures of a frame allocate nothing once they are set up: a frame
// of net_lab evaluates the network thousands of times without touching the heap.
#include "net_lab/input_maps.h"

#include "engine/network.h"
#include "engine/training_run.h"
#include "network_view/network_view.h"
#include "tests/support/counting_allocator.h"
#include "tests/support/headless_allegro.h"

#include <gtest/gtest.h>

TEST(Allocation, MapsAndErrorMeasuresOfAFrameAllocateNothing)
{
    start_headless_allegro();
    const std::string text = "input_layer: 2\ncomp_layer: 5\ncomp_layer: 3\ncomp_layer: 1\n"
                             "pattern: 0 0 -> 0\npattern: 0 1 -> 1\npattern: 1 0 -> 1\npattern: 1 1 -> 0\n";
    Network network = Network::from_text(text);
    network.read_training_text(text);
    const NetworkView view(network, 500, 380);
    InputMaps maps;
    maps.prepare(network, 20);
    PatternErrors errors;
    measure_pattern_errors(network, errors);
    MemoryBitmap buffer = make_bitmap(800, 600);

    const long long before = allocation_count();
    for (int frame = 0; frame < 3; ++frame) {
        maps.evaluate(network);
        maps.draw_output_map(buffer.get(), 10, 10);
        maps.draw_hidden_maps(buffer.get(), view, 20);
        draw_pattern_dots(buffer.get(), network, 10, 10, 20, 84);
        measure_pattern_errors(network, errors);
        rank_worst_patterns(errors, 30);
    }
    EXPECT_EQ(allocation_count(), before);
}
