// The network-section reader: builds neurons, layers and connections from the network
// records of a file, refusing structurally broken or oversized networks as a whole.
#include "engine/network.h"

#include "engine/fast_form.h"
#include "engine/diagnostics.h"
#include "engine/format_keys.h"
#include "engine/input_file.h"
#include "engine/line_reader.h"
#include "engine/line_source.h"
#include "engine/value_warnings.h"
#include "engine/real_text.h"
#include "engine/text_form.h"

#include <new>
#include <string>
#include <utility>
#include <vector>

namespace {

std::string beyond_limit(long long limit, const char* what)
{
    return "the network would have more than " + std::to_string(limit) + " " + what;
}

// "weight 2 of "weights:", "0,5", is read as 0 (a comma is ...)" when `weight`, read from
// `before` on, ended inside its token; empty when it ended at the token's end.
std::string cut_weight_text(const LineReader& before, const LineReader& after, int index, double weight)
{
    const std::string_view rest = after.rest_of_token();
    if (rest.empty())
        return "";
    const std::string_view token = LineReader(before).next_token();
    const std::string reason = cut_number_reason(token, rest);
    return "weight " + std::to_string(index + 1) + " of " + quoted_key(FormatKey::Weights) + ", " +
           quoted_excerpt(token) + ", is read as " +
           shortest_real_text(weight) + (reason.empty() ? "" : " (" + reason + ")");
}

}  // namespace

// A refused network is empty, so that callers see no inputs and no outputs.
void Network::refuse_network()
{
    std::vector<Neuron>().swap(neurons);
    std::vector<int>().swap(layer_sizes);
    fast_form.reset();
}

void Network::refuse_for_memory(int line, Diagnostics* diagnostics)
{
    refuse_network();
    if (diagnostics != nullptr)
        diagnostics->add(line, "the network does not fit in memory; the network is refused", DiagnosticKind::OutOfMemory);
}

// Reading replaces the network held: a second network read on top of the first would meet
// a second input layer record and leave nothing.
void Network::read_network_section(const char* file_name, Diagnostics* diagnostics)
{
    refuse_network();
    read_network_file(file_name, diagnostics);
    build_fast_form(diagnostics);
}

void Network::read_network_text(std::string_view text, Diagnostics* diagnostics)
{
    refuse_network();
    LineSource lines(text);
    read_network_records(lines, diagnostics);
    build_fast_form(diagnostics);
}

void Network::build_fast_form(Diagnostics* diagnostics)
{
    try {
        make_fast_form();
    } catch (const std::bad_alloc&) {
        refuse_for_memory(0, diagnostics);
    }
}

void Network::read_network_file(const char* file_name, Diagnostics* diagnostics)
{
    std::ifstream file;
    if (!open_for_reading(file_name, file)) {
        if (diagnostics != nullptr)
            diagnostics->add(0, "cannot open the file", DiagnosticKind::CannotOpen);
        return;
    }
    LineSource lines(file);
    read_network_records(lines, diagnostics);
}

void Network::read_network_records(LineSource& lines, Diagnostics* diagnostics)
{
    // Running out of memory refuses the file like any other network it cannot hold.
    ParameterRecord slope;
    try {
        note_text_form(lines, diagnostics);
        read_network_lines(lines, diagnostics, slope);
    } catch (const std::bad_alloc&) {
        lines.release();
        refuse_for_memory(lines.line_number(), diagnostics);
        return;
    }
    if (!lines.failure().empty()) {
        refuse_network();
        if (diagnostics != nullptr)
            diagnostics->add(lines.line_number(), lines.failure() + "; the network is refused", lines.failure_kind());
    }
    if (diagnostics != nullptr)
        note_zero_slope(slope, *diagnostics);
}

// The network reader's state from one record to the next, and a function per kind of record.
// Each says whether reading goes on; refusing leaves the network empty.
struct NC_LOCAL Network::NetworkReading {
    enum Next { GoOn, Stop, Refused };

    NetworkReading(Network& network, LineSource& lines, Diagnostics* diagnostics)
        : network(network), lines(lines), diagnostics(diagnostics)
    {
    }

    Network& network;
    LineSource& lines;
    Diagnostics* diagnostics;
    // Connections the network will hold once every computing neuron has its full list,
    // counted before anything is allocated for them.
    long long planned_connections = 0;
    // The neurons of the latest computing layer that a "weights:" record has opened so far.
    int weights_row = 0;
    // Per-neuron thresholds, by position, set once the reading ends: the shared threshold's
    // record, which the writer puts after the layers, must not overwrite them.
    std::vector<std::pair<std::size_t, double>> neuron_thresholds;

    void notice(const std::string& message) const
    {
        if (diagnostics != nullptr)
            diagnostics->add(lines.line_number(), message);
    }
    // A cut number, read as `read_as` from `before` on, is noted; the value stands as read.
    void notice_cut(const LineReader& before, const LineReader& after, const std::string& read_as) const
    {
        if (diagnostics != nullptr)
            note_cut_number(LineReader(before).next_token(), after.rest_of_token(), read_as, lines.line_number(),
                            *diagnostics);
    }
    Next refuse(const std::string& reason) const
    {
        notice(reason + "; the network is refused");
        network.refuse_network();
        return Refused;
    }
    void set_neuron_thresholds()
    {
        for (const auto& [position, value] : neuron_thresholds)
            network.neurons[position].threshold = value;
        network.parameters_changed();
    }

    Next read_layer(FormatKey key, LineReader& reader);
    Next read_weights(LineReader& reader);
    void read_neuron_threshold(LineReader& reader);
    void read_network_parameter(FormatKey key, LineReader& reader, ParameterRecord& slope);
};

Network::NetworkReading::Next Network::NetworkReading::read_layer(FormatKey key, LineReader& reader)
{
    std::vector<int>& layer_sizes = network.layer_sizes;
    int count = 0;
    const LineReader before = reader;
    if (!reader.read_int(count))
        notice(quoted_key(key) + " has no whole number of neurons; taken as 0");
    else
        notice_cut(before, reader, std::to_string(count));
    const bool computing = key == FormatKey::CompLayer;
    // Only one input layer, first, and of a size of 0 or more, keeps the layers in order.
    if (!computing && !layer_sizes.empty())
        return refuse("a second " + quoted_key(FormatKey::InputLayer) + " record");
    if (computing && layer_sizes.empty())
        return refuse(quoted_key(FormatKey::CompLayer) + " before " + quoted_key(FormatKey::InputLayer));
    if (!computing && count < 0)
        return refuse("input layer size " + std::to_string(count) + " is below 0");
    if (count <= 0) {
        if (computing)
            weights_row = 0;
        else
            layer_sizes.push_back(0);
        return GoOn;
    }
    if (computing)
        planned_connections += static_cast<long long>(count) * layer_sizes.back();
    if (count > max_neuron_count - network.neuron_count())
        return refuse(beyond_limit(max_neuron_count, "neurons"));
    if (planned_connections > max_connection_count)
        return refuse(beyond_limit(max_connection_count, "connections"));
    for (int i = 0; i < count; ++i)
        network.neurons.emplace_back(network.neurons, computing);
    layer_sizes.push_back(count);
    if (computing)
        weights_row = 0;
    return GoOn;
}

Network::NetworkReading::Next Network::NetworkReading::read_weights(LineReader& reader)
{
    const std::vector<int>& layer_sizes = network.layer_sizes;
    const std::string weights_key = quoted_key(FormatKey::Weights);
    if (layer_sizes.size() < 2) {
        notice(weights_key + " record before any " + quoted_key(FormatKey::CompLayer) + " record; loading ends here");
        return Stop;  // a misplaced record ends loading; what was built stays
    }
    if (weights_row >= layer_sizes.back()) {
        notice("one " + weights_key + " record more than the latest layer's " + std::to_string(layer_sizes.back()) +
               " neurons; loading ends here");
        return Stop;
    }
    const int latest = layer_sizes.back();
    const int previous = layer_sizes[layer_sizes.size() - 2];
    const int first_source = network.neuron_count() - latest - previous;
    Neuron& target = network.neurons[static_cast<std::size_t>(network.neuron_count() - latest + weights_row)];
    int j = 0;
    // The last weight whose number ended inside its token ("0" of "0,5"), for the
    // messages about what became of the token's rest.
    std::string cut_weight;
    for (; j < previous && !reader.at_end(); ++j) {
        const LineReader before = reader;
        double weight = 0.0;
        if (!reader.read_real(weight)) {
            const std::string weight_name = "weight " + std::to_string(j + 1);
            const std::string bad = quoted_excerpt(LineReader(before).next_token());
            notice((cut_weight.empty() ? weight_name + " of " + weights_key + ", " + bad
                                       : cut_weight + "; " + weight_name + ", " + bad) +
                   ", is not a number; the missing weights are drawn at random");
            break;
        }
        cut_weight = cut_weight_text(before, reader, j, weight);
        // The list of a neuron read whole takes its exact size at once.
        if (target.connections.empty())
            target.connections.reserve(static_cast<std::size_t>(previous));
        // Records after a "comp_layer: 0" can grow a list beyond the previous layer.
        if (target.connections.size() >= static_cast<std::size_t>(previous) &&
            ++planned_connections > max_connection_count)
            return refuse(beyond_limit(max_connection_count, "connections"));
        target.add_connection(first_source + j, weight);
    }
    if (j == previous && !reader.at_end() && !cut_weight.empty())
        notice(cut_weight + "; the rest of the record, from " + quoted_excerpt(reader.rest_of_token()) +
               " on, is ignored");
    else if (j == previous && !reader.at_end())
        notice(weights_key + " has more values than the " + std::to_string(previous) +
               " neurons of the layer before; the rest is ignored");
    ++weights_row;
    return GoOn;
}

// The threshold of the neuron whose "weights:" record came last.
void Network::NetworkReading::read_neuron_threshold(LineReader& reader)
{
    const std::vector<int>& layer_sizes = network.layer_sizes;
    const std::string key = quoted_key(FormatKey::NeuronThreshold);
    double value = 0.0;
    if (layer_sizes.size() < 2 || weights_row == 0)
        notice(key + " follows no " + quoted_key(FormatKey::Weights) + " record of the latest layer; ignored");
    else if (!reader.read_real(value))
        notice(key + " has no number; ignored");
    else
        neuron_thresholds.emplace_back(
            static_cast<std::size_t>(network.neuron_count() - layer_sizes.back() + weights_row - 1), value);
}

void Network::NetworkReading::read_network_parameter(FormatKey key, LineReader& reader, ParameterRecord& slope)
{
    double value = 0.0;
    const LineReader before = reader;
    if (!reader.read_real(value)) {
        notice(quoted_key(key) + " has no number; ignored");
        return;
    }
    notice_cut(before, reader, shortest_real_text(value));
    if (key == FormatKey::Threshold) {
        network.set_threshold_all(value);
    } else {
        network.set_slope_parameter_all(value);
        slope.set(lines.line_number(), value);
    }
}

void Network::read_network_lines(LineSource& lines, Diagnostics* diagnostics, ParameterRecord& slope)
{
    NetworkReading reading(*this, lines, diagnostics);
    std::string_view line;
    while (lines.next(line)) {
        LineReader reader(line);
        const FormatKeyEntry* entry = find_format_key(reader.next_token());
        if (entry == nullptr)
            continue;
        NetworkReading::Next next = NetworkReading::GoOn;
        switch (entry->kind) {
        case RecordKind::Layer:
            next = reading.read_layer(entry->key, reader);
            break;
        case RecordKind::Neuron:
            if (entry->key == FormatKey::Weights)
                next = reading.read_weights(reader);
            else
                reading.read_neuron_threshold(reader);
            break;
        case RecordKind::NetworkParameter:
            reading.read_network_parameter(entry->key, reader, slope);
            break;
        case RecordKind::Misspelling:
            if (diagnostics != nullptr)
                note_misspelt_threshold(lines.line_number(), *diagnostics);
            break;
        case RecordKind::Pattern:
        case RecordKind::TrainingParameter:
            break;  // the training reader's
        }
        if (next == NetworkReading::Refused)
            return;
        if (next == NetworkReading::Stop)
            break;
    }
    reading.set_neuron_thresholds();
}
