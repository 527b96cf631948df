// The one check both pattern readers make of expected outputs: a logistic output lies strictly
// between 0 and 1, so training never reaches a target outside that range.
#ifndef ENGINE_TARGET_RANGE_H
#define ENGINE_TARGET_RANGE_H

#include <vector>

struct Diagnostics;

// Notes, at `line`, each expected output outside 0 to 1 by its position and value; `record`
// names what holds the pattern ("row", "pattern"). The pattern is kept as read.
void note_targets_out_of_range(const std::vector<double>& expected_outputs, int line, const char* record,
                               Diagnostics& diagnostics);

#endif
