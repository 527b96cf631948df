// The evaluations behind the maps of a two-input network over the input square [0, 1]²: the
// first output and each hidden neuron at the centre of every grid cell. Needs no graphics
// library, so net_lab and the browser edition map the same values.
#ifndef LAB_SESSION_INPUT_GRID_H
#define LAB_SESSION_INPUT_GRID_H

#include <vector>

class Network;

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

class InputGrid {
public:
    // Sets up the grid and its store for `network`; inactive unless it has two inputs.
    void prepare(const Network& network);
    bool active() const { return grid > 0; }

    // Evaluates the network once per grid cell, keeping the outputs of the mapped neurons.
    // Allocates nothing.
    void evaluate(Network& network);

    // The output kept for mapped neuron `index` (0 the first output, then the hidden ones)
    // at grid cell (column, row), row 0 at the top where input 2 is 1.
    double value(int index, int column, int row) const;

    int grid = 0;                 // cells per side; 0 when inactive
    std::vector<int> mapped;      // neuron positions: the first output, then hidden neurons
    std::vector<double> values;   // per cell in row order, the mapped neurons' outputs
    std::vector<double> inputs;   // the two inputs handed to the network
};

#endif
