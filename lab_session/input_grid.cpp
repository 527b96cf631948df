// One grid of evaluations over the input square serves the output map and every hidden map.
#include "lab_session/input_grid.h"

#include "engine/network.h"

#include <algorithm>
#include <cmath>

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

void InputGrid::prepare(const Network& network)
{
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
}

void InputGrid::evaluate(Network& network)
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
}

double InputGrid::value(int index, int column, int row) const
{
    const std::size_t cell = static_cast<std::size_t>(row) * grid + static_cast<std::size_t>(column);
    return values[cell * mapped.size() + static_cast<std::size_t>(index)];
}
