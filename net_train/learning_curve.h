// The learning curve net_train writes with --curve: the errors of the network at its check
// passes, thinned to every k-th pass as a run grows long, as CSV text.
#ifndef NET_TRAIN_LEARNING_CURVE_H
#define NET_TRAIN_LEARNING_CURVE_H

#include "net_train/chunked_training.h"

#include <string>
#include <vector>

class LearningCurve {
public:
    // Enough for any plot; beyond it every other row goes and k doubles, which also bounds
    // the cost of measuring the errors in a long run.
    static constexpr std::size_t max_rows = 2000;

    // Every how many passes a row is kept, k: 1 at first, doubled whenever the rows grow
    // beyond max_rows. Errors need only be measured every k passes.
    int step() const { return pass_step; }

    // Adds the errors after `passes` training passes, a multiple of step() except for the
    // last row of a run; a second row for the same pass is dropped.
    void add(int passes, const PatternErrors& errors);

    // "pass,worst_error,mean_squared_error", a "#" line giving k when it is above 1, then the rows.
    std::string csv() const;

private:
    struct Row {
        int pass;
        PatternErrors errors;
    };

    int pass_step = 1;
    std::vector<Row> rows;
};

#endif
