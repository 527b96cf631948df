// The columns and rows of a drawn network, the layers drawn as shaded columns, the note a
// drawing of a huge network carries, and the ratio its connection shades follow.
#include "network_view/network_layout.h"

#include "engine/network.h"

#include <algorithm>
#include <cstdio>

NetworkLayout lay_out_network(const Network& network, int screen_width, int screen_height, int x_margin,
                              int start_radius)
{
    NetworkLayout layout;
    layout.radius = start_radius;
    const int layers = network.layer_count();
    if (layers < 1)
        return layout;

    int& radius = layout.radius;
    const int y_margin = 2 * radius;  // fixed here, whatever the radius becomes
    double dx = 0.0;
    if (layers > 1) {
        dx = (screen_width - 2 * x_margin) / static_cast<double>(layers - 1);
        if (3 * radius > dx)
            radius = static_cast<int>(dx / 3 + 4);
    }

    int min_dy = screen_height;
    layout.positions.reserve(static_cast<std::size_t>(network.neuron_count()));
    for (int layer = 0; layer < layers; ++layer) {
        const int size = network.layer_size(layer);
        const int x = static_cast<int>(x_margin + layer * dx);
        if (size == 1) {
            layout.positions.push_back({x, y_margin});
            continue;
        }
        if (size < 1)
            continue;
        const double dy = (screen_height - 2 * y_margin) / static_cast<double>(size - 1);
        if (dy < min_dy && dy != 0)
            min_dy = static_cast<int>(dy);
        for (int row = 0; row < size; ++row)
            layout.positions.push_back({x, static_cast<int>(y_margin + row * dy)});
    }

    if (min_dy < 3 * radius)
        radius = min_dy / 3 + 4;
    return layout;
}

bool drawn_as_column(const std::vector<NeuronPosition>& positions, int count, int first, int end)
{
    return count > NetworkLayout::max_drawn_neurons && packed_closer_than(positions, first, end, 1);
}

bool packed_closer_than(const std::vector<NeuronPosition>& positions, int first, int end, int spacing)
{
    if (end - first < 2)
        return false;
    const int height = positions[static_cast<std::size_t>(end - 1)].y - positions[static_cast<std::size_t>(first)].y;
    return static_cast<long long>(end - first - 1) * spacing > height;
}

int column_row_neuron(const std::vector<NeuronPosition>& positions, int first, int end, int y)
{
    const int top = positions[static_cast<std::size_t>(first)].y;
    const int height = std::max(1, positions[static_cast<std::size_t>(end - 1)].y - top);
    const long long spaces = end - first - 1;
    return first + static_cast<int>((y - top) * spaces / height);
}

void write_drawing_note(long long connection_count, bool lines_drawn, bool columns_drawn, char* note,
                        std::size_t size)
{
    static constexpr const char* column_note = "a layer of more neurons than pixel rows shows one per row";
    if (!lines_drawn && columns_drawn)
        std::snprintf(note, size, "%lld connections: too many to draw; %s", connection_count, column_note);
    else if (!lines_drawn)
        std::snprintf(note, size, "%lld connections: too many to draw", connection_count);
    else if (columns_drawn)
        std::snprintf(note, size, "%s", column_note);
    else if (size > 0)
        note[0] = '\0';
}

double weight_ratio(double weight, double scale)
{
    if (scale == 0.0) {
        if (weight > 0)
            return 1.0;
        return weight < 0 ? -1.0 : 0.0;
    }
    return std::clamp(weight / scale, -1.0, 1.0);
}
