// Expected outputs that training cannot reach, named with their position and value.
#include "engine/target_range.h"

#include "engine/diagnostics.h"
#include "engine/real_text.h"

#include <string>

void note_targets_out_of_range(const std::vector<double>& expected_outputs, int line, const char* record,
                               Diagnostics& diagnostics)
{
    for (std::size_t output = 0; output < expected_outputs.size(); ++output) {
        const double expected = expected_outputs[output];
        if (!(expected >= 0.0 && expected <= 1.0))
            diagnostics.add(line, "expected output " + std::to_string(output + 1) + ", " +
                                      shortest_real_text(expected) +
                                      ", lies outside 0 to 1, which the network's outputs never reach; "
                                      "training cannot converge on this " + record,
                            DiagnosticKind::Warning);
    }
}
