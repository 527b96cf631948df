// The network writer: layer sizes, weights and shared parameters in the canonical layout,
// with numbers formatted the same whatever the process locale.
#include "engine/network.h"

#include <charconv>
#include <cmath>
#include <fstream>
#include <string>

namespace {

// Fixed-point with 17 decimals, rounded to nearest: up to 309 integer digits for a double.
void write_real(std::ofstream& file, double value)
{
    char text[400];
    const auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 17);
    file.write(text, result.ptr - text);
}

// One extra space below 10 keeps the decimal points of weights below 100 in one column.
void write_weight(std::ofstream& file, double weight)
{
    if (std::fabs(weight) < 10.0)
        file << ' ';
    file << (weight < 0.0 ? " " : "  ");
    write_real(file, weight);
}

}  // namespace

void Network::write_network_file(const char* file_name) const
{
    if (file_name == nullptr)
        return;
    std::ofstream file(file_name, std::ios::out | std::ios::trunc);
    if (!file.is_open())
        return;

    if (neurons.empty()) {
        file << "Network is empty, nothing to save here.\n";
        return;
    }

    file << "input_layer: " << std::to_string(layer_sizes.front()) << '\n';
    std::size_t position = static_cast<std::size_t>(layer_sizes.front());
    for (std::size_t layer = 1; layer < layer_sizes.size(); ++layer) {
        file << "\ncomp_layer: " << std::to_string(layer_sizes[layer]) << '\n';
        const std::size_t layer_end = position + static_cast<std::size_t>(layer_sizes[layer]);
        for (; position < layer_end; ++position) {
            file << "  weights:";
            for (const Connection& connection : neurons[position].connections)
                write_weight(file, connection.weight);
            file << '\n';
        }
    }

    file << "\ntreshold: ";
    write_real(file, threshold());
    file << "\nslope_parameter: ";
    write_real(file, slope_parameter());
    file << "\nmax_weight: ";
    write_real(file, max_weight());
    file << '\n';
}
