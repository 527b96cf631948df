// Maps of a two-input network over the input square [0, 1]²: the first output as a large
// map with the training patterns as dots, and each hidden neuron's output inside its disc.
#ifndef NET_LAB_INPUT_MAPS_H
#define NET_LAB_INPUT_MAPS_H

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
// Work the maps may spend when the weights change, in steps of one connection's product;
// a computing neuron's logistic function and an evaluation's own overhead count as several.
constexpr long long map_evaluation_budget = 500000;
constexpr long long neuron_evaluation_cost = 8;
constexpr long long evaluation_overhead = 16;
// Hidden neurons beyond this many get no map of their own.
constexpr int max_hidden_maps = 64;

// Cells per side of the map grid when one evaluation costs `evaluation_cost`: the finest of
// 128, 64, 32 and 16 whose evaluations fit the budget; 16 at least.
int map_grid_cells(long long evaluation_cost);

// Pixel of a point of the input square on a map of `size` pixels at (0, 0): input 1 to the
// right, input 2 upwards. False when the point lies outside the square.
bool map_pixel(double input1, double input2, int size, int& x, int& y);

class InputMaps {
public:
    // Sets up the grid, its stores and the output map's picture for `network`, shaded from
    // the ramp at `ramp_base`; inactive unless the network has two inputs.
    void prepare(const Network& network, int ramp_base);
    bool active() const { return grid > 0; }

    // Evaluates the network once per grid cell, keeping the outputs of the mapped neurons,
    // and paints the output map's picture from them. Allocates nothing.
    void evaluate(Network& network);

    // The first output's map as a square of output_map_size pixels with its top-left at (x, y),
    // as the last evaluation painted it.
    void draw_output_map(BITMAP* target, int x, int y) const;
    // Each hidden neuron's map inside the disc that `view` draws for it.
    void draw_hidden_maps(BITMAP* target, const NetworkView& view, int ramp_base) const;

    // The output kept for mapped neuron `index` (0 the first output, then the hidden ones)
    // at grid cell (column, row), row 0 at the top where input 2 is 1.
    double value(int index, int column, int row) const;

    int grid = 0;                 // cells per side; 0 when inactive
    std::vector<int> mapped;      // neuron positions: the first output, then hidden neurons
    std::vector<double> values;   // per cell in row order, the mapped neurons' outputs
    std::vector<double> inputs;   // the two inputs handed to the network
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
