// Creatures' networks for scoring and evolving: reading a creature's network file with its
// problems explained, a network's weights as one flat list, and the network file text of a
// list of weights.
#ifndef CREATURE_EVOLUTION_CREATURE_NETWORK_H
#define CREATURE_EVOLUTION_CREATURE_NETWORK_H

#include "engine/network.h"
#include "tool_support/file_problems.h"

#include <string>
#include <vector>

// Reads the network file at `path`, completing missing weights from `seed`. False, with the
// reasons among `problems`, when it holds no network of 3 inputs and 4 outputs. Throws
// std::bad_alloc when the network does not fit in memory, as the rest of a run does.
bool load_creature_network(const std::string& path, unsigned seed, Network& network,
                           FileProblems& problems);

// What a flat list of weights needs to become a network again.
struct NetworkShape {
    std::vector<int> layer_sizes;  // input layer first
    double threshold = 0.0;
    double slope_parameter = 1.0;
    double max_weight = 60.0;

    std::size_t weight_count() const;
};

// A fully connected network from 3 inputs through `hidden` neurons (none when 0) to 4 outputs.
NetworkShape creature_shape(int hidden);
// The shape of `network`, whose layers are fully connected.
NetworkShape shape_of(const Network& network);

// Every weight, neuron by neuron in neuron order, each neuron's in connection order.
std::vector<double> weights_of(const Network& network);

// The network of `shape` with `weights`, every one of them, in the order weights_of gives.
// These three throw std::bad_alloc when memory runs short, never giving an empty network.
Network network_of(const NetworkShape& shape, const std::vector<double>& weights);

// A network file: the lines of `comment` as free text, then the network records as the
// engine writes them, every weight to 17 decimals, so that reading it back gives the same
// network every time.
std::string network_text(const NetworkShape& shape, const std::vector<double>& weights,
                         const std::string& comment);

// The network a text describes, as the readers of a file build it.
Network network_from_text(const std::string& text);

#endif
