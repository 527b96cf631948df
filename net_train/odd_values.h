// Values a network file's readers accept but its author probably did not mean: numbers with a
// decimal comma or in hexadecimal, parameters that stop training from working, and the key
// "threshold:" where the format spells "treshold:". They change nothing; net_train warns.
#ifndef NET_TRAIN_ODD_VALUES_H
#define NET_TRAIN_ODD_VALUES_H

#include <iosfwd>
#include <string>
#include <vector>

struct OddValue {
    int line;  // 1-based
    std::string message;
};

// Which records of the text to look at: those the network reader acts on, those the
// training reader acts on, or both (one file can hold both kinds).
struct OddValueScope {
    bool network_records = true;
    bool training_records = true;
};

// Reads `in` to its end, line by line as the readers read it, and returns the odd values in
// line order.
std::vector<OddValue> find_odd_values(std::istream& in, OddValueScope scope);

#endif
