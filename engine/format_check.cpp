// The comparison of a trained network with its read-back form, neuron by neuron, value by
// value, and the checked text that writers store.
#include "engine/format_check.h"

#include "engine/diagnostics.h"
#include "engine/format_keys.h"
#include "engine/network.h"
#include "engine/real_text.h"

#include <cmath>
#include <new>
#include <sstream>

namespace {

// A message names this many neurons or connections, then counts the rest.
constexpr std::size_t max_named = 8;

// Reals are written with 17 decimals and read back to the nearest double.
bool same_real(double trained, double read_back)
{
    return std::fabs(trained - read_back) <= 1e-16 + 1e-15 * std::fabs(trained);
}

class Listing {
public:
    void add(std::string item)
    {
        if (items.size() < max_named)
            items.push_back(std::move(item));
        else
            ++more;
    }
    bool empty() const { return items.empty(); }
    std::string text() const
    {
        std::string joined;
        for (std::size_t k = 0; k < items.size(); ++k)
            joined += (k == 0 ? "" : (k + 1 == items.size() && more == 0 ? " and " : ", ")) + items[k];
        if (more > 0)
            joined += ", and " + std::to_string(more) + " more";
        return joined;
    }

private:
    std::vector<std::string> items;
    std::size_t more = 0;
};

std::string layer_list(const Network& network)
{
    std::string text;
    for (int layer = 0; layer < network.layer_count(); ++layer)
        text += (layer == 0 ? "" : " ") + std::to_string(network.layer_size(layer));
    return text.empty() ? "none" : text;
}

// Runs of neurons whose parameter comes back otherwise, with the value each run has:
// "neurons 5-6 have 0 and neuron 9 has 0.7".
template <typename Parameter>
Listing differing_parameter(const Network& trained, const Network& read_back, Parameter parameter)
{
    Listing listing;
    const int count = trained.neuron_count();
    for (int first = 0; first < count;) {
        const double value = parameter(trained.neuron(first));
        if (same_real(value, parameter(read_back.neuron(first)))) {
            ++first;
            continue;
        }
        int last = first;
        while (last + 1 < count && parameter(trained.neuron(last + 1)) == value &&
               !same_real(value, parameter(read_back.neuron(last + 1))))
            ++last;
        listing.add(first == last ? "neuron " + std::to_string(first) + " has " + shortest_real_text(value)
                                  : "neurons " + std::to_string(first) + "-" + std::to_string(last) + " have " +
                                        shortest_real_text(value));
        first = last + 1;
    }
    return listing;
}

void compare_connections(const Network& trained, const Network& read_back, std::vector<std::string>& losses)
{
    Listing surplus;
    Listing changed;
    for (int position = 0; position < trained.neuron_count(); ++position) {
        const std::vector<Connection>& expected = trained.neuron(position).connections;
        const std::vector<Connection>& found = read_back.neuron(position).connections;
        if (expected.size() != found.size())
            surplus.add("neuron " + std::to_string(position) + " has " + std::to_string(expected.size()) +
                        ", of which " + std::to_string(found.size()) + " come back");
        for (std::size_t k = 0; k < expected.size() && k < found.size(); ++k) {
            if (found[k].source == expected[k].source && same_real(expected[k].weight, found[k].weight))
                continue;
            changed.add("neuron " + std::to_string(position) + ", connection " + std::to_string(k + 1) +
                        " from neuron " + std::to_string(expected[k].source) + ", weight " +
                        shortest_real_text(expected[k].weight) + ", comes back from neuron " +
                        std::to_string(found[k].source) + " with " + shortest_real_text(found[k].weight));
        }
    }
    if (!surplus.empty())
        losses.push_back("connections: the file holds one from each neuron of the layer before, but " +
                         surplus.text());
    if (!changed.empty())
        losses.push_back(record_start(FormatKey::Weights) + changed.text());
}

}  // namespace

std::vector<std::string> format_losses(const Network& trained, const Network& read_back)
{
    std::vector<std::string> losses;
    bool same_layers = trained.layer_count() == read_back.layer_count();
    for (int layer = 0; same_layers && layer < trained.layer_count(); ++layer)
        same_layers = trained.layer_size(layer) == read_back.layer_size(layer);
    if (!same_layers || trained.neuron_count() != read_back.neuron_count()) {
        losses.push_back("layers: the network has layer sizes " + layer_list(trained) + ", the file " +
                         layer_list(read_back));
        return losses;
    }
    const Listing thresholds =
        differing_parameter(trained, read_back, [](const Neuron& neuron) { return neuron.threshold; });
    if (!thresholds.empty())
        losses.push_back("thresholds: the file holds each neuron's as a number, but " + thresholds.text());
    const Listing slopes =
        differing_parameter(trained, read_back, [](const Neuron& neuron) { return neuron.slope_parameter; });
    if (!slopes.empty())
        losses.push_back("slope parameters: the file holds one for all neurons, " +
                         shortest_real_text(read_back.slope_parameter()) + " (neuron 0's), but " + slopes.text());
    compare_connections(trained, read_back, losses);
    return losses;
}

namespace {

// The network records of `network` as the writer writes them; false when they do not fit in memory.
bool records_of(const Network& network, std::string& text)
{
    std::ostringstream records;
    if (!network.write_network(records))
        return false;
    text = records.str();
    return true;
}

}  // namespace

bool check_network_text(const Network& network, bool nearest, CheckedNetworkText& checked)
{
    try {
        if (!records_of(network, checked.text))
            return false;
        Diagnostics notes;
        checked.read_back = Network::from_text(checked.text, &notes);
        // The writer's own records hold nothing bad, so a note that was dropped ran short of memory too.
        if (notes.has(DiagnosticKind::OutOfMemory) || notes.dropped > 0)
            return false;
        checked.losses = format_losses(network, checked.read_back);
        // The read-back network is what the format holds; its own records read back as itself.
        if (!checked.losses.empty() && nearest)
            return records_of(checked.read_back, checked.text);
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}
