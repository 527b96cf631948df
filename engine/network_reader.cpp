// The network-section reader: builds neurons, layers and connections from the network
// records of a file, refusing structurally broken or oversized networks as a whole.
#include "engine/network.h"

#include "engine/input_file.h"
#include "engine/line_reader.h"

#include <string>

// A refused network is empty, so that callers see no inputs and no outputs.
void Network::refuse_network()
{
    std::vector<Neuron>().swap(neurons);
    std::vector<int>().swap(layer_sizes);
}

void Network::read_network_section(const char* file_name)
{
    std::ifstream file;
    if (!open_for_reading(file_name, file))
        return;

    // Connections the network will hold once every computing neuron has its full list,
    // counted before anything is allocated for them.
    long long planned_connections = 0;
    int weights_row = 0;
    std::string line;
    while (std::getline(file, line)) {
        LineReader reader(line);
        const std::string_view key = reader.next_token();

        if (key == "input_layer:") {
            int count = 0;
            reader.read_int(count);
            // Only one input layer, first, and of a size of 0 or more, keeps the layers in order.
            if (!layer_sizes.empty() || count < 0 || count > max_neuron_count) {
                refuse_network();
                return;
            }
            neurons.reserve(static_cast<std::size_t>(count));
            for (int i = 0; i < count; ++i)
                neurons.emplace_back(neurons, false);
            layer_sizes.push_back(count);
        } else if (key == "comp_layer:") {
            int count = 0;
            reader.read_int(count);
            if (layer_sizes.empty()) {
                refuse_network();
                return;
            }
            if (count > 0) {
                planned_connections += static_cast<long long>(count) * layer_sizes.back();
                if (count > max_neuron_count - neuron_count() || planned_connections > max_connection_count) {
                    refuse_network();
                    return;
                }
                for (int i = 0; i < count; ++i)
                    neurons.emplace_back(neurons, true);
                layer_sizes.push_back(count);
            }
            weights_row = 0;
        } else if (key == "weights:") {
            if (layer_sizes.size() < 2 || weights_row >= layer_sizes.back())
                return;  // a misplaced or surplus record ends loading; what was built stays
            const int latest = layer_sizes.back();
            const int previous = layer_sizes[layer_sizes.size() - 2];
            const int first_source = neuron_count() - latest - previous;
            Neuron& target = neurons[static_cast<std::size_t>(neuron_count() - latest + weights_row)];
            double weight = 0.0;
            for (int j = 0; j < previous && reader.read_real(weight); ++j) {
                // Records after a "comp_layer: 0" can grow a list beyond the previous layer.
                if (target.connections.size() >= static_cast<std::size_t>(previous) &&
                    ++planned_connections > max_connection_count) {
                    refuse_network();
                    return;
                }
                target.add_connection(first_source + j, weight);
            }
            ++weights_row;
        } else if (key == "treshold:") {
            double value = 0.0;
            if (reader.read_real(value))
                set_threshold_all(value);
        } else if (key == "slope_parameter:") {
            double value = 0.0;
            if (reader.read_real(value))
                set_slope_parameter_all(value);
        }
    }
}
