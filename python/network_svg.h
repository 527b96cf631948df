// The picture of a network for notebooks, as SVG: neurons as discs shaded by their outputs,
// connections as lines coloured by sign and thicker for larger weights, with a legend.
#ifndef PYTHON_NETWORK_SVG_H
#define PYTHON_NETWORK_SVG_H

#include <string>

class Network;

// An SVG document sized to the network, on a transparent background, in colours that read on
// light and dark pages: a column per layer under its name and size, the connections, a legend
// below. A layer of more than max_drawn_rows neurons is thinned to that many, evenly spread, and
// a note says so. A computing neuron whose threshold differs from the default shows it beside
// its disc. With `show_values`, each disc is shaded by its neuron's output and the output is
// written beside it; without, the discs stay empty. The same network gives the same bytes.
std::string network_svg(const Network& network, bool show_values);

// Most neurons a layer's column shows.
constexpr int max_drawn_rows = 64;
// Beyond these counts of neurons or lines drawn, the neurons or the lines are left out and a
// note says so.
constexpr int max_drawn_neurons = 2000;
constexpr long long max_drawn_connections = 100000;

#endif
