/// @file
/// What the network file format cannot hold of a network: it keeps one threshold and one
/// slope for all neurons, at most one connection per neuron of the layer before, and reals
/// with 17 decimals. Writers compare a network with the one its text reads back as.
#ifndef ENGINE_FORMAT_CHECK_H
#define ENGINE_FORMAT_CHECK_H

#include "export.h"

#include <string>
#include <vector>

class Network;

/// One sentence for each kind of difference between `network` and `read_back`, naming the
/// neurons and the values ("thresholds: the file holds one for all neurons, ..."); empty when
/// the two are the same network. `read_back` is Network::from_text of the network's text:
/// the nearest network the file format can hold, which its own text reads back as.
NC_API std::vector<std::string> format_losses(const Network& network, const Network& read_back);

#endif
