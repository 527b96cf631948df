// Where a network's neurons go on a screen: one column per layer, one row per neuron, and the
// ring radius the spacing allows. The one layout net_tester, net_lab, the Python module's
// picture and the browser edition draw by; it needs no graphics library.
#ifndef NETWORK_VIEW_NETWORK_LAYOUT_H
#define NETWORK_VIEW_NETWORK_LAYOUT_H

#include <vector>

class Network;

// Pixel centre of one neuron on the screen.
struct NeuronPosition {
    int x;
    int y;
};

struct NetworkLayout {
    static constexpr int start_radius = 15;  // ring radius while the neurons are far apart
    static constexpr int x_margin = 50;      // x of the first column, and the gap the last keeps from the right edge

    int radius = start_radius;              // ring radius; the filled disc has radius - 1
    std::vector<NeuronPosition> positions;  // centre of each neuron, in neuron order
};

// Columns from `x_margin` towards the right edge, rows from a top margin of twice the starting
// radius towards the bottom; the radius grows or shrinks with the tightest spacing (it stays
// `start_radius` without layers, and then nothing is laid out).
NetworkLayout lay_out_network(const Network& network, int screen_width, int screen_height,
                              int x_margin = NetworkLayout::x_margin,
                              int start_radius = NetworkLayout::start_radius);

// The ratio of a weight to `scale`, held to [-1, 1]; any weight beyond a scale of 0.0 counts
// as a full step to its side.
double weight_ratio(double weight, double scale);

#endif
