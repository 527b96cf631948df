// Loading a network and its training records as net_lab does, with what is wrong with the
// files as the lines net_lab lists. Needs no graphics library: the browser edition loads the
// same way.
#ifndef LAB_SESSION_NETWORK_LOADING_H
#define LAB_SESSION_NETWORK_LOADING_H

#include "engine/network.h"

#include <string>
#include <vector>

struct FileProblems;

// What the file gave and how it can be trained.
struct LabFiles {
    std::string network_path;   // the network, and its training records unless training_path
    std::string training_path;  // training records of another file, or a CSV table; may be empty
};

struct LoadedNetwork {
    Network network{nullptr};
    bool usable = false;                // the patterns can be trained on
    long long drawn_weights = 0;        // weights the completion drew: those the file left out
    std::vector<std::string> problems;  // why the files cannot be used, and warnings, one line each
};

// Reads the network of `files`, completes its missing weights from `seed` and reads its
// training records. A network that does not fit in memory is refused and left empty.
LoadedNetwork load_lab_files(const LabFiles& files, unsigned seed);

// The problems as lines "FILE:LINE: message" ("FILE: message" for a file as a whole), and a
// last line counting those not listed.
std::vector<std::string> problem_lines(const FileProblems& problems);

#endif
