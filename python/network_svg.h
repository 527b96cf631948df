// The picture of a network as net_tester draws it, as SVG for notebooks: neurons as discs
// shaded by their output, connections as lines shaded by weight and sign.
#ifndef PYTHON_NETWORK_SVG_H
#define PYTHON_NETWORK_SVG_H

#include <string>

class Network;

// An SVG document of net_tester's screen: one circle per neuron (up to max_drawn_neurons), one
// line per connection (up to max_drawn_connections), each neuron's output printed below it.
std::string network_svg(const Network& network);

// Beyond these counts the neurons or the lines are left out and a note says so.
constexpr int max_drawn_neurons = 2000;
constexpr long long max_drawn_connections = 100000;

#endif
