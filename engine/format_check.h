/// @file
/// What the network file format cannot hold of a network: it keeps one slope for all neurons,
/// a threshold per neuron only as a number, at most one connection per neuron of the layer
/// before, and weights with 17 decimals. Writers compare a network with the one its text reads back as.
#ifndef ENGINE_FORMAT_CHECK_H
#define ENGINE_FORMAT_CHECK_H

#include "export.h"
#include "network.h"

#include <string>
#include <vector>

/// One sentence for each kind of difference between `network` and `read_back`, naming the
/// neurons and the values ("slope parameters: the file holds one for all neurons, ..."); empty when
/// the two are the same network. `read_back` is Network::from_text of the network's text:
/// the nearest network the file format can hold, which its own text reads back as.
NC_API std::vector<std::string> format_losses(const Network& network, const Network& read_back);

/// The network records a writer stores for a network, checked against what they read back as.
struct CheckedNetworkText {
    /// What to write: the network's records, or, when asked for the nearest network and the
    /// format cannot hold this one, the records of the nearest network it can hold.
    std::string text;
    std::vector<std::string> losses;  ///< format_losses of the network; empty when nothing is lost
    Network read_back{nullptr};       ///< the network the records read back as: the nearest one
};

/// Fills `checked` for `network`, with the nearest network's records when `nearest` is true
/// and the format cannot hold `network`. False when the records, their read-back network or
/// the comparison do not fit in memory, or when a weight is not a finite number (the writer
/// refuses it): then nothing of `checked` may be written, since a read-back that ran short is
/// an empty network and not the nearest one.
NC_API bool check_network_text(const Network& network, bool nearest, CheckedNetworkText& checked);

#endif
