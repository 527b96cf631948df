// The network files net_lab reads and writes: a network whose missing weights come from a
// given seed, and the trained network written at once or not at all.
#ifndef NET_LAB_LAB_FILES_H
#define NET_LAB_LAB_FILES_H

#include "engine/network.h"

#include <string>

struct Diagnostics;

// The network of a file, its missing weights drawn from `seed`; what the reader noticed
// goes to `notes`.
Network read_seeded_network(const std::string& path, unsigned seed, Diagnostics& notes);

// Replaces `path` with the network records of `network`; on failure the old file stays and
// `reason` says why.
bool write_network_atomically(const Network& network, const std::string& path, std::string& reason);

#endif
