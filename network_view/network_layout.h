// Where a network's neurons go on a screen: one column per layer, one row per neuron, and the
// ring radius the spacing allows. The one layout net_tester, net_lab, the Python module's
// picture and the browser edition draw by; it needs no graphics library.
#ifndef NETWORK_VIEW_NETWORK_LAYOUT_H
#define NETWORK_VIEW_NETWORK_LAYOUT_H

#include <cstddef>
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
    // Most connections drawn in a frame. A line costs a few microseconds, so a network with
    // millions of connections would take minutes per frame and stop answering its keys;
    // beyond this count the lines are left out and a note says so.
    static constexpr long long max_drawn_connections = 100000;
    // Most neurons drawn as discs with their values. Beyond it, as a disc and its text cost
    // microseconds, a layer of more neurons than its column has pixel rows is drawn as a
    // shaded column, one neuron per row, and a note says so.
    static constexpr int max_drawn_neurons = 20000;

    int radius = start_radius;              // ring radius; the filled disc has radius - 1
    std::vector<NeuronPosition> positions;  // centre of each neuron, in neuron order
};

// Columns from `x_margin` towards the right edge, rows from a top margin of twice the starting
// radius towards the bottom; the radius grows or shrinks with the tightest spacing (it stays
// `start_radius` without layers, and then nothing is laid out).
NetworkLayout lay_out_network(const Network& network, int screen_width, int screen_height,
                              int x_margin = NetworkLayout::x_margin,
                              int start_radius = NetworkLayout::start_radius);

// True when the layer of neurons first..end-1 is drawn as a shaded column: the `count` neurons
// drawn are more than max_drawn_neurons and the layer's lie closer than a pixel row apart.
bool drawn_as_column(const std::vector<NeuronPosition>& positions, int count, int first, int end);

// True when the neurons first..end-1 of one layer lie closer together than `spacing` pixels.
bool packed_closer_than(const std::vector<NeuronPosition>& positions, int first, int end, int spacing);

// The neuron that pixel row `y` of the column of neurons first..end-1 shows: the one laid out
// nearest the row.
int column_row_neuron(const std::vector<NeuronPosition>& positions, int first, int end, int y);

// The note under a drawing that leaves its lines out or draws columns, into `note` of `size`
// bytes; empty when it does neither.
void write_drawing_note(long long connection_count, bool lines_drawn, bool columns_drawn, char* note,
                        std::size_t size);

// The ratio of a weight to `scale`, held to [-1, 1]; any weight beyond a scale of 0.0 counts
// as a full step to its side.
double weight_ratio(double weight, double scale);

#endif
