// The learning curve net_train writes with --curve: the errors of the network at its check
// passes, thinned to every k-th pass for long runs, as CSV text.
#ifndef TOOLS_LEARNING_CURVE_H
#define TOOLS_LEARNING_CURVE_H

#include "tools/chunked_training.h"

#include <string>
#include <vector>

class LearningCurve {
public:
    // More rows than this make a file no one plots; longer runs keep every k-th pass.
    static constexpr int max_rows = 10000;

    // A curve for a run of at most `pass_limit` passes.
    explicit LearningCurve(int pass_limit);

    // Every how many passes a row is kept: 1 unless the limit allows more than max_rows passes.
    int step() const { return pass_step; }

    // Adds the errors after `passes` training passes; a second row for the same pass is dropped.
    void add(int passes, const PatternErrors& errors);

    // "pass,worst_error,mean_squared_error", a "#" line giving k when it is above 1, then the rows.
    std::string csv() const;

private:
    struct Row {
        int pass;
        PatternErrors errors;
    };

    int pass_step;
    std::vector<Row> rows;
};

#endif
