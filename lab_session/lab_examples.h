// The examples the lab offers by name: pairs of a network file and its training file (none
// when the network file holds its patterns), files of the examples folder.
#ifndef LAB_SESSION_LAB_EXAMPLES_H
#define LAB_SESSION_LAB_EXAMPLES_H

struct LabExample {
    const char* network;
    const char* training;  // "" when the network file holds the training records
};

// The page loads the first at start.
constexpr LabExample lab_examples[] = {
    {"exclusive_or_training.txt", ""},
    {"exclusive_or.txt", "exclusive_or_patterns.csv"},
    {"follower_training.txt", ""},
    {"avoider_training.txt", ""},
    {"circler_training.txt", ""},
    {"exclusive_or.txt", ""},
    {"xor.txt", ""},
    {"follower.txt", ""},
    {"avoider.txt", ""},
    {"circler.txt", ""},
    {"evolved_follower.txt", ""},
    {"evolved_avoider.txt", ""},
    {"evolved_circler.txt", ""},
    {"config_generated.txt", ""},
};

#endif
