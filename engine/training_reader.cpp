// The training-section reader: patterns and training parameters from the training records
// of a network file; counts the tokens of "pattern:" records that are neither a number nor "->".
#include "engine/network.h"

#include "engine/input_file.h"
#include "engine/line_reader.h"

#include <string>

namespace {

// Reads the tokens after a "pattern:" key into `pattern`; returns the number of bad tokens.
int read_pattern(LineReader& reader, TrainingPattern& pattern)
{
    int bad_tokens = 0;
    bool on_outputs = false;
    for (std::string_view token = reader.next_token(); !token.empty(); token = reader.next_token()) {
        double value = 0.0;
        if (token_begins_with_real(token, value))
            (on_outputs ? pattern.expected_outputs : pattern.inputs).push_back(value);
        else if (token == "->")
            on_outputs = true;
        else
            ++bad_tokens;
    }
    return bad_tokens;
}

}  // namespace

int Network::read_training_section(const char* file_name)
{
    std::ifstream file;
    if (!open_for_reading(file_name, file))
        return 1;

    int bad_tokens = 0;
    // Stored values, so that a hostile file cannot make the pattern list exhaust memory.
    long long stored_values = 0;
    for (const TrainingPattern& pattern : patterns)
        stored_values += static_cast<long long>(pattern.inputs.size() + pattern.expected_outputs.size());

    std::string line;
    TrainingPattern pattern;
    while (std::getline(file, line)) {
        LineReader reader(line);
        const std::string_view key = reader.next_token();

        if (key == "pattern:") {
            pattern.inputs.clear();
            pattern.expected_outputs.clear();
            bad_tokens += read_pattern(reader, pattern);
            const long long values = static_cast<long long>(pattern.inputs.size() + pattern.expected_outputs.size());
            if (pattern_count() >= max_pattern_count || stored_values + values > max_pattern_value_count) {
                ++bad_tokens;
                continue;
            }
            stored_values += values;
            add_pattern(pattern);
        } else if (key == "error_limit:") {
            double value = 0.0;
            if (reader.read_real(value))
                error_limit = value;
        } else if (key == "max_iterations:") {
            int value = 0;
            if (reader.read_int(value))
                max_iterations = value;
        } else if (key == "learning_rate:") {
            double value = 0.0;
            if (reader.read_real(value))
                set_learning_rate_all(value);
        } else if (key == "max_weight:") {
            double value = 0.0;
            if (reader.read_real(value))
                set_max_weight_all(value);
        }
    }
    return bad_tokens;
}
