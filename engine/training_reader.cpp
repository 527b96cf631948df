// The training-section reader: patterns and training parameters from the training records
// of a network file; counts the tokens of "pattern:" records that are neither a number nor "->".
#include "engine/network.h"

#include "engine/diagnostics.h"
#include "engine/format_keys.h"
#include "engine/input_file.h"
#include "engine/line_reader.h"
#include "engine/line_source.h"
#include "engine/value_warnings.h"
#include "engine/real_text.h"
#include "engine/target_range.h"
#include "engine/text_form.h"

#include <cmath>
#include <cstdint>
#include <new>
#include <string>
#include <type_traits>
#include <utility>

namespace {

// Counts the tokens before and after the first "->", so that the value lists of a long
// pattern take their exact size instead of doubling their way there.
void count_tokens(LineReader reader, std::size_t& before_arrow, std::size_t& after_arrow)
{
    bool on_outputs = false;
    for (std::string_view token = reader.next_token(); !token.empty(); token = reader.next_token()) {
        if (token == "->")
            on_outputs = true;
        else
            ++(on_outputs ? after_arrow : before_arrow);
    }
}

// Reads the tokens after a "pattern:" key into `pattern`; returns the number of bad tokens.
int read_pattern(LineReader& reader, TrainingPattern& pattern, int line_number, Diagnostics* diagnostics)
{
    std::size_t inputs = 0;
    std::size_t outputs = 0;
    count_tokens(reader, inputs, outputs);
    pattern.inputs.reserve(inputs);
    pattern.expected_outputs.reserve(outputs);

    int bad_tokens = 0;
    bool on_outputs = false;
    for (std::string_view token = reader.next_token(); !token.empty(); token = reader.next_token()) {
        double value = 0.0;
        LineReader number(token);
        if (number.read_real(value)) {
            (on_outputs ? pattern.expected_outputs : pattern.inputs).push_back(value);
            if (diagnostics != nullptr)
                note_cut_number(token, number.rest_of_token(), shortest_real_text(value), line_number, *diagnostics);
        } else if (token == "->") {
            on_outputs = true;
        } else {
            ++bad_tokens;
            if (diagnostics != nullptr)
                diagnostics->add(line_number, quoted_key(FormatKey::Pattern) + " token " + quoted_excerpt(token) +
                                                  " is neither a number nor \"->\"");
        }
    }
    return bad_tokens;
}

// Room for one more entry, made before a pattern is stored, so that storing both the pattern
// and its line cannot fail halfway.
void make_room_for_one(std::vector<int>& list)
{
    if (list.size() == list.capacity())
        list.reserve(list.empty() ? 16 : 2 * list.size());
}

// Reads the one value of a parameter record, kept in `record` as the one in force; a record
// without it is ignored.
template <typename Value>
bool read_parameter(LineReader& reader, Value& value, FormatKey key, int line_number,
                    Diagnostics* diagnostics, ParameterRecord& record)
{
    const LineReader before = reader;
    const bool ok = [&] {
        if constexpr (std::is_same_v<Value, int>)
            return reader.read_int(value);
        else
            return reader.read_real(value);
    }();
    if (diagnostics == nullptr)
        return ok;
    if (!ok) {
        diagnostics->add(line_number, quoted_key(key) + " has no " +
                                          (std::is_same_v<Value, int> ? "whole number" : "number") + "; ignored");
        return false;
    }
    const std::string read_as = std::is_same_v<Value, int> ? std::to_string(value) : shortest_real_text(value);
    note_cut_number(LineReader(before).next_token(), reader.rest_of_token(), read_as, line_number, *diagnostics);
    record.set(line_number, value);
    return true;
}

}  // namespace

int Network::read_training_section(const char* file_name, Diagnostics* diagnostics)
{
    std::ifstream file;
    if (!open_for_reading(file_name, file)) {
        if (diagnostics != nullptr)
            diagnostics->add(0, "cannot open the file", DiagnosticKind::CannotOpen);
        return 1;
    }
    LineSource lines(file);
    return read_training_records(lines, diagnostics);
}

int Network::read_training_text(std::string_view text, Diagnostics* diagnostics)
{
    LineSource lines(text);
    return read_training_records(lines, diagnostics);
}

int Network::read_training_records(LineSource& lines, Diagnostics* diagnostics)
{
    int bad_tokens = 0;
    TrainingParameterRecords records;
    // Running out of memory ends the section like a line that cannot be read; either counts
    // as a bad token, so that training never runs on a section read only in part.
    try {
        note_text_form(lines, diagnostics);
        read_training_lines(lines, diagnostics, bad_tokens, records);
    } catch (const std::bad_alloc&) {
        lines.release();
        ++bad_tokens;
        if (diagnostics != nullptr)
            diagnostics->add(lines.line_number(), "the line does not fit in memory; the training section ends here",
                             DiagnosticKind::OutOfMemory);
        return bad_tokens;
    }
    if (!lines.failure().empty()) {
        ++bad_tokens;
        if (diagnostics != nullptr)
            diagnostics->add(lines.line_number(), lines.failure() + "; the training section ends here",
                             lines.failure_kind());
    }
    if (diagnostics != nullptr)
        note_unworkable_training_parameters(records, *diagnostics);
    return bad_tokens;
}

void Network::read_training_lines(LineSource& lines, Diagnostics* diagnostics, int& bad_tokens,
                                  TrainingParameterRecords& records)
{
    // Stored values, so that a hostile file cannot make the pattern list exhaust memory.
    long long stored_values = 0;
    for (const TrainingPattern& pattern : patterns)
        stored_values += static_cast<long long>(pattern.inputs.size() + pattern.expected_outputs.size());

    std::string_view line;
    while (lines.next(line)) {
        const int line_number = lines.line_number();
        LineReader reader(line);
        const FormatKeyEntry* entry = find_format_key(reader.next_token());
        if (entry == nullptr)
            continue;
        const FormatKey key = entry->key;

        if (key == FormatKey::Pattern) {
            TrainingPattern pattern;
            bad_tokens += read_pattern(reader, pattern, line_number, diagnostics);
            const long long values = static_cast<long long>(pattern.inputs.size() + pattern.expected_outputs.size());
            if (pattern_count() >= max_pattern_count || stored_values + values > max_pattern_value_count) {
                ++bad_tokens;
                if (diagnostics != nullptr)
                    diagnostics->add(line_number, "more than " + std::to_string(max_pattern_count) +
                                                      " patterns or " + std::to_string(max_pattern_value_count) +
                                                      " pattern values; this pattern is dropped");
                continue;
            }
            if (diagnostics != nullptr) {
                note_targets_out_of_range(pattern.expected_outputs, line_number, "pattern", *diagnostics);
                make_room_for_one(diagnostics->pattern_lines);
            }
            patterns.push_back(std::move(pattern));
            stored_values += values;
            if (diagnostics != nullptr)
                diagnostics->pattern_lines.push_back(line_number);
        } else if (key == FormatKey::ErrorLimit) {
            double value = 0.0;
            if (read_parameter(reader, value, key, line_number, diagnostics, records.error_limit))
                error_limit = value;
        } else if (key == FormatKey::MaxIterations) {
            int value = 0;
            if (read_parameter(reader, value, key, line_number, diagnostics, records.max_iterations))
                max_iterations = value;
        } else if (key == FormatKey::LearningRate) {
            double value = 0.0;
            if (read_parameter(reader, value, key, line_number, diagnostics, records.learning_rate))
                set_learning_rate_all(value);
        } else if (key == FormatKey::LearnThresholds) {
            int value = 0;
            if (read_parameter(reader, value, key, line_number, diagnostics, records.learn_thresholds))
                learn_thresholds = value != 0;
        } else if (key == FormatKey::TestShare) {
            double value = 0.0;
            if (read_parameter(reader, value, key, line_number, diagnostics, records.held_out_share))
                held_out_share = value;
        } else if (key == FormatKey::TestSeed) {
            // Read as a real, which holds every seed exactly, as int cannot above 2147483647.
            double value = 0.0;
            if (read_parameter(reader, value, key, line_number, diagnostics, records.held_out_seed) &&
                is_seed(value))
                held_out_seed = static_cast<std::uint32_t>(value);
        } else if (key == FormatKey::MaxWeight) {
            double value = 0.0;
            if (read_parameter(reader, value, key, line_number, diagnostics, records.max_weight))
                set_max_weight_all(value);
        }
    }
}
