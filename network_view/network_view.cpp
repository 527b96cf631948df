// NetworkView: lays a network out once per file and draws it, shaded by outputs and weights.
#include "network_view/network_view.h"

#include "palette/palette.h"

#include <allegro.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <utility>

void set_blue_ramp(int first)
{
    set_ramp(first, 0, 42, 63);  // green is two thirds of blue
}

NetworkView::NetworkView(const char* file_name, int screen_width, int screen_height)
    : NetworkView(Network(file_name), screen_width, screen_height)
{
}

NetworkView::NetworkView(const Network& network, int screen_width, int screen_height)
    : Network(network)
{
    set_rgb(input_color, 0, 14, 48);
    set_rgb(computing_color, 0, 45, 0);
    set_rgb(text_color, 2, 35, 10);
    set_blue_ramp(negative_ramp_base);
    set_grey_ramp(positive_ramp_base);

    drawn_neurons = neuron_count();
    drawn_inputs = input_count();
    first_output = drawn_neurons - output_count();
    weight_scale = max_weight();
    for (int i = 0; i < neuron_count(); ++i)
        connection_count += static_cast<long long>(neuron(i).connections.size());

    lay_out(screen_width, screen_height);
}

// The shared layout, from this view's margin and radius.
void NetworkView::lay_out(int screen_width, int screen_height)
{
    NetworkLayout layout = lay_out_network(*this, screen_width, screen_height, x_margin, radius);
    radius = layout.radius;
    positions = std::move(layout.positions);
}

int NetworkView::shade_index(double ratio) const
{
    if (std::isnan(ratio))
        ratio = 0.0;
    ratio = std::clamp(ratio, -1.0, 1.0);
    if (ratio < 0)
        return static_cast<int>(negative_ramp_base - 63 * ratio);
    return static_cast<int>(positive_ramp_base + 63 * ratio);
}

double NetworkView::weight_ratio(double weight) const
{
    return ::weight_ratio(weight, weight_scale);
}

void NetworkView::draw(BITMAP* target, int text_background) const
{
    // A network whose layer sizes disagree with its neurons must not lead us past either list.
    const int count = std::min({drawn_neurons, neuron_count(), static_cast<int>(positions.size())});
    const bool draw_lines = connection_count <= NetworkLayout::max_drawn_connections;
    bool columns_drawn = false;
    int first = 0;
    for (int layer = 0; layer < layer_count() && first < count; ++layer) {
        const int end = std::min(count, first + std::max(0, layer_size(layer)));
        if (drawn_as_column(positions, count, first, end)) {
            for (int i = std::max(first, drawn_inputs); draw_lines && i < end; ++i)
                draw_incoming_lines(target, i);
            draw_packed_layer(target, first, end);
            columns_drawn = true;
            first = end;
            continue;
        }
        for (int i = first; i < end; ++i) {
            draw_neuron(target, i, text_background);
            if (draw_lines && i >= drawn_inputs)
                draw_incoming_lines(target, i);
        }
        first = end;
    }
    if (!draw_lines || columns_drawn) {
        char note[160];
        write_drawing_note(connection_count, draw_lines, columns_drawn, note, sizeof note);
        textout_ex(target, font, note, 2, target->h - 10, text_color, text_background);
    }
}

// A column as wide as a disc, one pixel row per neuron shown: the neuron laid out nearest the
// row, shaded by its output. Costs the column's height, not the layer's size.
void NetworkView::draw_packed_layer(BITMAP* target, int first, int end) const
{
    const NeuronPosition& top = positions[static_cast<std::size_t>(first)];
    const int bottom = positions[static_cast<std::size_t>(end - 1)].y;
    const int ring = first < drawn_inputs ? input_color : computing_color;
    for (int y = top.y; y <= bottom; ++y) {
        const int index = column_row_neuron(positions, first, end, y);
        hline(target, top.x - radius + 1, y, top.x + radius - 1, shade_index(neuron(index).output));
    }
    vline(target, top.x - radius, top.y, bottom, ring);
    vline(target, top.x + radius, top.y, bottom, ring);
}

// Disc shaded by the output, ring by the neuron's kind, bars to the screen edges, value below.
void NetworkView::draw_neuron(BITMAP* target, int index, int text_background) const
{
    const NeuronPosition& centre = positions[static_cast<std::size_t>(index)];
    const double value = neuron(index).output;
    const int shade = shade_index(value);
    const int right_edge = target->w - 1;
    const int x = centre.x;
    const int y = centre.y;

    if (index < drawn_inputs) {
        rectfill(target, 0, y - 1, x, y + 1, input_color);
        if (first_output == 0)
            rectfill(target, x, y - 1, right_edge, y + 1, input_color);
        circlefill(target, x, y, radius - 1, shade);
        circle(target, x, y, radius, input_color);
    } else {
        if (index >= first_output)
            rectfill(target, x, y - 1, right_edge, y + 1, input_color);
        circlefill(target, x, y, radius - 1, shade);
        circle(target, x, y, radius, computing_color);
    }

    char text[80];
    std::snprintf(text, sizeof text, "%f", value);
    textout_ex(target, font, text, x - 15, y + radius, text_color, text_background);
}

// One line per connection, in connection order, from the source's centre to this neuron's.
void NetworkView::draw_incoming_lines(BITMAP* target, int index) const
{
    const NeuronPosition& centre = positions[static_cast<std::size_t>(index)];
    const int known = static_cast<int>(positions.size());
    for (const Connection& connection : neuron(index).connections) {
        if (connection.source < 0 || connection.source >= known)
            continue;
        const NeuronPosition& source = positions[static_cast<std::size_t>(connection.source)];
        line(target, source.x, source.y, centre.x, centre.y,
             shade_index(weight_ratio(connection.weight)));
    }
}
