// Measuring the patterns' errors, ranking them, and the table of the worst.
#include "net_lab/pattern_errors.h"

#include "engine/network.h"

#include <allegro.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

namespace {

constexpr int row_height = 10;

}  // namespace

void measure_errors(Network& network, PatternErrors& errors)
{
    const std::size_t count = static_cast<std::size_t>(network.pattern_count());
    if (errors.worst.size() != count) {
        errors.worst.assign(count, 0.0);
        errors.worst_output.assign(count, 0);
        errors.computed.assign(count, 0.0);
        errors.order.resize(count);
    }
    for (std::size_t i = 0; i < count; ++i)
        errors.order[i] = static_cast<int>(i);
    errors.worst_error = 0.0;
    errors.worst_pattern = -1;
    double squares = 0.0;
    long long differences = 0;
    for (std::size_t index = 0; index < count; ++index) {
        const TrainingPattern& pattern = network.pattern(static_cast<int>(index));
        errors.worst[index] = 0.0;
        if (!network.set_inputs(pattern.inputs))
            continue;
        network.evaluate();
        network.get_outputs(errors.outputs);
        const std::size_t outputs = std::min(errors.outputs.size(), pattern.expected_outputs.size());
        for (std::size_t k = 0; k < outputs; ++k) {
            double difference = std::fabs(pattern.expected_outputs[k] - errors.outputs[k]);
            if (std::isnan(difference))
                difference = std::numeric_limits<double>::infinity();
            squares += difference * difference;
            ++differences;
            if (k == 0 || difference > errors.worst[index]) {
                errors.worst[index] = difference;
                errors.worst_output[index] = static_cast<int>(k);
                errors.computed[index] = errors.outputs[k];
            }
        }
        if (errors.worst_pattern < 0 || errors.worst[index] > errors.worst_error) {
            errors.worst_error = errors.worst[index];
            errors.worst_pattern = static_cast<int>(index);
        }
    }
    errors.mean_squared_error = differences > 0 ? squares / static_cast<double>(differences) : 0.0;
}

void rank_worst(PatternErrors& errors, int count)
{
    const std::size_t first = std::min(errors.order.size(), static_cast<std::size_t>(std::max(count, 0)));
    std::partial_sort(errors.order.begin(), errors.order.begin() + static_cast<std::ptrdiff_t>(first),
                      errors.order.end(), [&errors](int a, int b) {
                          const double left = errors.worst[static_cast<std::size_t>(a)];
                          const double right = errors.worst[static_cast<std::size_t>(b)];
                          return left > right || (left == right && a < b);
                      });
}

void draw_pattern_table(BITMAP* target, int x, int y, int rows, const Network& network,
                        PatternErrors& errors, int text_color, int head_color)
{
    textout_ex(target, font, "     #   error out expected computed", x, y, head_color, -1);
    rank_worst(errors, rows);
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
        std::snprintf(text, sizeof text, "%6d %7.4f %3d %8.4f %8.4f", index + 1, errors.worst[at], output + 1,
                      expected, errors.computed[at]);
        textout_ex(target, font, text, x, y + (row + 1) * row_height + 2, text_color, -1);
    }
}
