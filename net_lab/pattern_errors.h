// How far the network is from each training pattern: the errors the learning curve plots,
// and the table of patterns, worst first, shown for networks without input maps.
#ifndef NET_LAB_PATTERN_ERRORS_H
#define NET_LAB_PATTERN_ERRORS_H

#include <vector>

struct BITMAP;
class Network;

struct PatternErrors {
    double worst_error = 0.0;         // largest |expected - computed| over all patterns and outputs
    double mean_squared_error = 0.0;  // mean of the squared differences over the same
    int worst_pattern = -1;           // the pattern that holds the worst error; -1 without patterns
    std::vector<double> worst;        // per pattern: its largest difference
    std::vector<int> worst_output;    // per pattern: the output where it lies
    std::vector<double> computed;     // per pattern: the computed value of that output
    std::vector<int> order;           // pattern indices, the first ones the worst
    std::vector<double> outputs;      // scratch for one evaluation
};

// Evaluates every pattern that fits the network and measures its errors; a difference that
// is not a number counts as the worst. Allocates only when the pattern count changed.
void measure_errors(Network& network, PatternErrors& errors);

// Puts the `count` worst patterns first in `order`, worst first.
void rank_worst(PatternErrors& errors, int count);

// A table of the worst patterns, one row each, from (x, y): pattern number, its error, the
// output, expected and computed values; as many rows as `rows`.
void draw_pattern_table(BITMAP* target, int x, int y, int rows, const Network& network,
                        PatternErrors& errors, int text_color, int head_color);

#endif
