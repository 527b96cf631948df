// Networks for the engine benchmarks: fully connected, random weights, built from the text
// of a network file as a user's would be.
#ifndef BENCH_BENCH_NETWORKS_H
#define BENCH_BENCH_NETWORKS_H

#include "engine/format_keys.h"
#include "engine/network.h"

#include <string>
#include <vector>

// The records of a network file that open layers of these sizes, the input layer first.
inline std::string layer_records(const std::vector<int>& layers)
{
    std::string text = record_start(FormatKey::InputLayer) + std::to_string(layers.front()) + "\n";
    for (std::size_t i = 1; i < layers.size(); ++i)
        text += record_start(FormatKey::CompLayer) + std::to_string(layers[i]) + "\n";
    return text;
}

// The record of one value: "max_weight: 1e6\n".
inline std::string value_record(FormatKey key, const std::string& value)
{
    return record_start(key) + value + "\n";
}

// `extra_records` is appended to the layer records, e.g. value_record(FormatKey::Threshold, "0.25").
inline Network make_network(const std::vector<int>& layers, const std::string& extra_records = "")
{
    return Network::from_text(layer_records(layers) + extra_records);
}

inline long long connection_count(const Network& network)
{
    long long count = 0;
    for (int i = 0; i < network.neuron_count(); ++i)
        count += static_cast<long long>(network.neuron(i).connections.size());
    return count;
}

inline std::string topology_name(const std::vector<int>& layers)
{
    std::string name;
    for (int size : layers)
        name += (name.empty() ? "" : "-") + std::to_string(size);
    return name;
}

#endif
