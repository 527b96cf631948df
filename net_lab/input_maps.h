// Maps of a two-input network over the input square [0, 1]², drawn: the first output as a
// large map with the training patterns as dots, and each hidden neuron's output inside its disc.
#ifndef NET_LAB_INPUT_MAPS_H
#define NET_LAB_INPUT_MAPS_H

#include "lab_session/input_grid.h"
#include "program_shell/bitmap_ptr.h"

#include <vector>

struct BITMAP;
class Network;
class NetworkView;

// 64 palette entries from `base`: orange for 0, grey for 0.5, blue for 1.
void set_map_ramp(int base);
// The ramp entry that shows `value`: held to [0, 1]; a value that is not a number shows as 0.5.
int map_ramp_index(double value, int base);

// Side of the output map in pixels; the grid's cells divide it evenly.
constexpr int output_map_size = 256;

class InputMaps : public InputGrid {
public:
    // Sets up the grid, its stores and the output map's picture for `network`, shaded from
    // the ramp at `ramp_base`; inactive unless the network has two inputs.
    void prepare(const Network& network, int ramp_base);

    // Evaluates the grid and paints the output map's picture from it. Allocates nothing.
    void evaluate(Network& network);

    // The first output's map as a square of output_map_size pixels with its top-left at (x, y),
    // as the last evaluation painted it.
    void draw_output_map(BITMAP* target, int x, int y) const;
    // Each hidden neuron's map inside the disc that `view` draws for it.
    void draw_hidden_maps(BITMAP* target, const NetworkView& view, int ramp_base) const;

    int ramp = 0;                 // first palette entry of the map ramp
    BitmapPtr picture;            // the output map, painted at each evaluation

private:
    void paint_output_map();
};

// Draws each pattern of the network that lies in the input square as a dot on a map of
// output_map_size pixels at (x, y), filled with the ramp entry of its first expected output
// and ringed in `ring_color`.
void draw_pattern_dots(BITMAP* target, const Network& network, int x, int y, int ramp_base, int ring_color);

#endif
