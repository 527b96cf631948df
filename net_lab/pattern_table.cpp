// The table of the worst patterns, from the engine's measure of their errors.
#include "net_lab/pattern_table.h"

#include "engine/network.h"
#include "engine/training_run.h"

#include <allegro.h>

#include <algorithm>
#include <cstdio>

namespace {

constexpr int row_height = 10;

}  // namespace

void draw_pattern_table(BITMAP* target, int x, int y, int rows, const Network& network,
                        PatternErrors& errors, int text_color, int head_color)
{
    textout_ex(target, font, "     #   error out expected computed", x, y, head_color, -1);
    rank_worst_patterns(errors, rows);
    char text[96];
    const int shown = std::min(rows, static_cast<int>(errors.order.size()));
    for (int row = 0; row < shown; ++row) {
        const int index = errors.order[static_cast<std::size_t>(row)];
        const std::size_t at = static_cast<std::size_t>(index);
        const TrainingPattern& pattern = network.pattern(index);
        const int output = errors.worst_output[at];
        const double expected = static_cast<std::size_t>(output) < pattern.expected_outputs.size()
                                    ? pattern.expected_outputs[static_cast<std::size_t>(output)]
                                    : 0.0;
        std::snprintf(text, sizeof text, "%6d %7.4f %3d %8.4f %8.4f", index + 1, errors.pattern_worst[at], output + 1,
                      expected, errors.computed[at]);
        textout_ex(target, font, text, x, y + (row + 1) * row_height + 2, text_color, -1);
    }
}
