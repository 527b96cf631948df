// The input maps: one grid of evaluations per frame serves the output map and every hidden
// neuron's map; the patterns are drawn over the output map.
#include "net_lab/input_maps.h"

#include "engine/network.h"
#include "network_view/network_view.h"
#include "palette/palette.h"

#include <allegro.h>

#include <algorithm>
#include <cmath>

namespace {

constexpr int ramp_steps = 63;
constexpr int dot_radius = 4;

// One ramp end and the middle, in 6-bit components.
struct Rgb {
    int r, g, b;
};
constexpr Rgb low_end{63, 30, 0};
constexpr Rgb middle{30, 30, 30};
constexpr Rgb high_end{0, 28, 63};

int mix(int from, int to, double share)
{
    return static_cast<int>(std::lround(from + (to - from) * share));
}

}  // namespace

void set_map_ramp(int base)
{
    for (int k = 0; k <= ramp_steps && base + k <= 255; ++k) {
        const double value = static_cast<double>(k) / ramp_steps;
        const Rgb from = value < 0.5 ? low_end : middle;
        const Rgb to = value < 0.5 ? middle : high_end;
        const double share = value < 0.5 ? value * 2 : (value - 0.5) * 2;
        set_rgb(base + k, mix(from.r, to.r, share), mix(from.g, to.g, share), mix(from.b, to.b, share));
    }
}

int map_ramp_index(double value, int base)
{
    if (std::isnan(value))
        value = 0.5;
    return base + static_cast<int>(std::lround(std::clamp(value, 0.0, 1.0) * ramp_steps));
}

int map_grid_cells(long long evaluation_cost)
{
    for (int cells : {128, 64, 32}) {
        if (static_cast<long long>(cells) * cells * std::max(evaluation_cost, 1LL) <= map_evaluation_budget)
            return cells;
    }
    return 16;
}

bool map_pixel(double input1, double input2, int size, int& x, int& y)
{
    if (!(input1 >= 0.0 && input1 <= 1.0 && input2 >= 0.0 && input2 <= 1.0))
        return false;
    x = static_cast<int>(std::lround(input1 * (size - 1)));
    y = static_cast<int>(std::lround((1.0 - input2) * (size - 1)));
    return true;
}

void InputMaps::prepare(const Network& network, int ramp_base)
{
    ramp = ramp_base;
    grid = 0;
    mapped.clear();
    values.clear();
    if (network.input_count() != 2 || network.layer_count() < 2)
        return;
    long long connections = 0;
    for (int i = 0; i < network.neuron_count(); ++i)
        connections += static_cast<long long>(network.neuron(i).connections.size());
    const int first_output = network.neuron_count() - network.output_count();
    mapped.push_back(first_output);
    for (int i = network.input_count(); i < first_output && static_cast<int>(mapped.size()) <= max_hidden_maps; ++i)
        mapped.push_back(i);
    const long long computing = network.neuron_count() - network.input_count();
    grid = map_grid_cells(connections + neuron_evaluation_cost * computing + evaluation_overhead);
    values.assign(static_cast<std::size_t>(grid) * grid * mapped.size(), 0.5);
    inputs.assign(2, 0.0);
    if (!picture)
        picture.reset(create_bitmap_ex(8, output_map_size, output_map_size));
}

void InputMaps::evaluate(Network& network)
{
    std::size_t at = 0;
    for (int row = 0; row < grid; ++row) {
        inputs[1] = 1.0 - (row + 0.5) / grid;
        for (int column = 0; column < grid; ++column) {
            inputs[0] = (column + 0.5) / grid;
            network.set_inputs(inputs);
            network.evaluate();
            for (int position : mapped)
                values[at++] = network.neuron(position).output;
        }
    }
    paint_output_map();
}

// Writes the rows of the memory bitmap directly: the map changes with every training frame.
void InputMaps::paint_output_map()
{
    if (!picture)
        return;
    const int cell = output_map_size / grid;
    for (int y = 0; y < output_map_size; ++y) {
        unsigned char* row = picture->line[y];
        const int grid_row = y / cell;
        for (int column = 0; column < grid; ++column) {
            const auto shade = static_cast<unsigned char>(map_ramp_index(value(0, column, grid_row), ramp));
            std::fill(row + column * cell, row + (column + 1) * cell, shade);
        }
    }
}

double InputMaps::value(int index, int column, int row) const
{
    const std::size_t cell = static_cast<std::size_t>(row) * grid + static_cast<std::size_t>(column);
    return values[cell * mapped.size() + static_cast<std::size_t>(index)];
}

void InputMaps::draw_output_map(BITMAP* target, int x, int y) const
{
    if (active() && picture)
        blit(picture.get(), target, 0, 0, x, y, output_map_size, output_map_size);
}

void InputMaps::draw_hidden_maps(BITMAP* target, const NetworkView& view, int ramp_base) const
{
    if (!active())
        return;
    const int reach = view.radius - 1;  // the disc the view fills
    const int across = 2 * reach + 1;
    for (std::size_t index = 1; index < mapped.size(); ++index) {
        const std::size_t position = static_cast<std::size_t>(mapped[index]);
        if (position >= view.positions.size())
            continue;
        const NeuronPosition centre = view.positions[position];
        for (int dy = -reach; dy <= reach; ++dy) {
            const int row = (dy + reach) * grid / across;
            for (int dx = -reach; dx <= reach; ++dx) {
                if (dx * dx + dy * dy > reach * reach)
                    continue;
                const int column = (dx + reach) * grid / across;
                putpixel(target, centre.x + dx, centre.y + dy,
                         map_ramp_index(value(static_cast<int>(index), column, row), ramp_base));
            }
        }
    }
}

void draw_pattern_dots(BITMAP* target, const Network& network, int x, int y, int ramp_base, int ring_color)
{
    for (int index = 0; index < network.pattern_count(); ++index) {
        const TrainingPattern& pattern = network.pattern(index);
        int px = 0;
        int py = 0;
        if (pattern.inputs.size() != 2 || pattern.expected_outputs.empty() ||
            !map_pixel(pattern.inputs[0], pattern.inputs[1], output_map_size, px, py))
            continue;
        circlefill(target, x + px, y + py, dot_radius, map_ramp_index(pattern.expected_outputs[0], ramp_base));
        circle(target, x + px, y + py, dot_radius, ring_color);
    }
}
