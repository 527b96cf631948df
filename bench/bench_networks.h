// Networks for the engine benchmarks: fully connected, random weights, built from the text
// of a network file as a user's would be.
#ifndef BENCH_BENCH_NETWORKS_H
#define BENCH_BENCH_NETWORKS_H

#include "engine/network.h"

#include <string>
#include <vector>

// `extra_records` is appended to the network records, e.g. "treshold: 0.25\n".
inline Network make_network(const std::vector<int>& layers, const std::string& extra_records = "")
{
    std::string text = "input_layer: " + std::to_string(layers.front()) + "\n";
    for (std::size_t i = 1; i < layers.size(); ++i)
        text += "comp_layer: " + std::to_string(layers[i]) + "\n";
    return Network::from_text(text + extra_records);
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
