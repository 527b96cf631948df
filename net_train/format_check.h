// What the network file format cannot hold of a network: it keeps one threshold and one
// slope for all neurons, at most one connection per neuron of the layer before, and reals
// with 17 decimals. net_train compares the trained network with the one its text reads back as.
#ifndef NET_TRAIN_FORMAT_CHECK_H
#define NET_TRAIN_FORMAT_CHECK_H

#include <string>
#include <vector>

class Network;

// One sentence for each kind of difference between `trained` and `read_back`, naming the
// neurons and the values; empty when the two are the same network.
std::vector<std::string> format_losses(const Network& trained, const Network& read_back);

#endif
