// The network-section reader: builds neurons, layers and connections from the network
// records of a file, refusing structurally broken or oversized networks as a whole.
#include "engine/network.h"

#include "engine/diagnostics.h"
#include "engine/input_file.h"
#include "engine/line_reader.h"

#include <string>

namespace {

// Forwards to the caller's diagnostics, if any.
class Notes {
public:
    explicit Notes(Diagnostics* diagnostics) : diagnostics(diagnostics) {}
    void add(int line, const std::string& message) const
    {
        if (diagnostics != nullptr)
            diagnostics->add(line, message);
    }

private:
    Diagnostics* diagnostics;
};

std::string quoted(std::string_view text)
{
    return "\"" + std::string(text) + "\"";
}

}  // namespace

// A refused network is empty, so that callers see no inputs and no outputs.
void Network::refuse_network()
{
    std::vector<Neuron>().swap(neurons);
    std::vector<int>().swap(layer_sizes);
}

void Network::read_network_section(const char* file_name, Diagnostics* diagnostics)
{
    read_network_records(file_name, diagnostics);
    dense.build(neurons, layer_sizes);
}

void Network::read_network_records(const char* file_name, Diagnostics* diagnostics)
{
    const Notes notes(diagnostics);
    std::ifstream file;
    if (!open_for_reading(file_name, file)) {
        notes.add(0, "cannot open the file");
        return;
    }

    // Connections the network will hold once every computing neuron has its full list,
    // counted before anything is allocated for them.
    long long planned_connections = 0;
    int weights_row = 0;
    int line_number = 0;
    std::string line;
    while (std::getline(file, line)) {
        ++line_number;
        LineReader reader(line);
        const std::string_view key = reader.next_token();

        if (key == "input_layer:" || key == "comp_layer:") {
            int count = 0;
            if (!reader.read_int(count))
                notes.add(line_number, quoted(key) + " has no whole number of neurons; taken as 0");
            const bool computing = key == "comp_layer:";
            // Only one input layer, first, and of a size of 0 or more, keeps the layers in order.
            if (!computing && !layer_sizes.empty()) {
                notes.add(line_number, "a second \"input_layer:\" record; the network is refused");
                refuse_network();
                return;
            }
            if (computing && layer_sizes.empty()) {
                notes.add(line_number, "\"comp_layer:\" before \"input_layer:\"; the network is refused");
                refuse_network();
                return;
            }
            if (!computing && count < 0) {
                notes.add(line_number, "input layer size " + std::to_string(count) +
                                           " is below 0; the network is refused");
                refuse_network();
                return;
            }
            if (count <= 0) {
                if (computing)
                    weights_row = 0;
                else
                    layer_sizes.push_back(0);
                continue;
            }
            if (computing)
                planned_connections += static_cast<long long>(count) * layer_sizes.back();
            if (count > max_neuron_count - neuron_count()) {
                notes.add(line_number, "the network would have more than " + std::to_string(max_neuron_count) +
                                           " neurons; the network is refused");
                refuse_network();
                return;
            }
            if (planned_connections > max_connection_count) {
                notes.add(line_number, "the network would have more than " +
                                           std::to_string(max_connection_count) +
                                           " connections; the network is refused");
                refuse_network();
                return;
            }
            for (int i = 0; i < count; ++i)
                neurons.emplace_back(neurons, computing);
            layer_sizes.push_back(count);
            if (computing)
                weights_row = 0;
        } else if (key == "weights:") {
            if (layer_sizes.size() < 2) {
                notes.add(line_number, "\"weights:\" record before any \"comp_layer:\" record; loading ends here");
                return;  // a misplaced record ends loading; what was built stays
            }
            if (weights_row >= layer_sizes.back()) {
                notes.add(line_number, "one \"weights:\" record more than the latest layer's " +
                                           std::to_string(layer_sizes.back()) + " neurons; loading ends here");
                return;
            }
            const int latest = layer_sizes.back();
            const int previous = layer_sizes[layer_sizes.size() - 2];
            const int first_source = neuron_count() - latest - previous;
            Neuron& target = neurons[static_cast<std::size_t>(neuron_count() - latest + weights_row)];
            int j = 0;
            for (; j < previous && !reader.at_end(); ++j) {
                const LineReader before = reader;
                double weight = 0.0;
                if (!reader.read_real(weight)) {
                    notes.add(line_number, "weight " + std::to_string(j + 1) + " of \"weights:\", " +
                                               quoted(LineReader(before).next_token()) +
                                               ", is not a number; the missing weights are drawn at random");
                    break;
                }
                // Records after a "comp_layer: 0" can grow a list beyond the previous layer.
                if (target.connections.size() >= static_cast<std::size_t>(previous) &&
                    ++planned_connections > max_connection_count) {
                    notes.add(line_number, "the network would have more than " +
                                               std::to_string(max_connection_count) +
                                               " connections; the network is refused");
                    refuse_network();
                    return;
                }
                target.add_connection(first_source + j, weight);
            }
            if (j == previous && !reader.at_end())
                notes.add(line_number, "\"weights:\" has more values than the " + std::to_string(previous) +
                                           " neurons of the layer before; the rest is ignored");
            ++weights_row;
        } else if (key == "treshold:" || key == "slope_parameter:") {
            double value = 0.0;
            if (!reader.read_real(value))
                notes.add(line_number, quoted(key) + " has no number; ignored");
            else if (key == "treshold:")
                set_threshold_all(value);
            else
                set_slope_parameter_all(value);
        }
    }
}
