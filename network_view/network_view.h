// NetworkView: a network together with its screen layout and colours, drawn whole every frame.
// It owns its layout (one centre per neuron) and, through its base, the network itself.
#ifndef NETWORK_VIEW_NETWORK_VIEW_H
#define NETWORK_VIEW_NETWORK_VIEW_H

#include "engine/network.h"
#include "network_view/network_layout.h"

#include <vector>

struct BITMAP;

// Sets 64 palette entries from `first`, from black to (0, 42, 63); never beyond entry 255.
void set_blue_ramp(int first);

class NetworkView : public Network {
public:
    // Builds the network from a network file (empty when it cannot be read), sets the view's
    // palette entries and lays the neurons out for a screen of the given size.
    NetworkView(const char* file_name, int screen_width, int screen_height);
    // The same for a network built already.
    NetworkView(const Network& network, int screen_width, int screen_height);

    // Draws every neuron, bar, value and connection onto `target`, whose width is the screen's.
    // Text is drawn with `text_background` as Allegro's background (-1 transparent). In a
    // network of more than NetworkLayout::max_drawn_neurons, packed layers are drawn as
    // columns, so that a frame costs the screen's size rather than the network's.
    void draw(BITMAP* target, int text_background) const;

    // Palette index that shows `ratio`: the blue ramp below 0, the grey ramp from 0 on.
    // The ratio is held to [-1, 1] so every shade stays within its ramp.
    int shade_index(double ratio) const;
    // The ratio of a weight to `weight_scale`, held to [-1, 1]; any weight beyond a scale of
    // 0.0 counts as a full step to its side.
    double weight_ratio(double weight) const;

    int radius = NetworkLayout::start_radius;  // ring radius; the filled disc has radius - 1
    int x_margin = NetworkLayout::x_margin;    // x of the first column, and the gap the last column keeps from the right edge
    std::vector<NeuronPosition> positions;  // centre of each neuron, in neuron order
    int input_color = 100;        // ring of input neurons; all input and output bars
    int text_color = 101;         // the output numbers
    int computing_color = 102;    // ring of computing neurons
    int negative_ramp_base = 120; // first of 64 entries for negative values
    int positive_ramp_base = 190; // first of 64 entries for values of 0 and above
    int drawn_neurons = 0;        // number of neurons drawn
    int drawn_inputs = 0;         // neurons below this position are drawn as input neurons
    int first_output = 0;         // neurons from this position on get an output bar
    double weight_scale = 0.0;    // the weight that reaches the end of a ramp
    long long connection_count = 0;  // connections of all neurons, counted once

private:
    void lay_out(int screen_width, int screen_height);
    void draw_neuron(BITMAP* target, int index, int text_background) const;
    void draw_incoming_lines(BITMAP* target, int index) const;
    void draw_packed_layer(BITMAP* target, int first, int end) const;
};

#endif
