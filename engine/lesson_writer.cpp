// The lesson writer: a network's records followed by its patterns and training parameters, so
// that reading the file back and training it repeats the run that wrote it.
#include "engine/network.h"

#include "engine/format_keys.h"
#include "engine/real_text.h"

#include <cmath>
#include <ostream>
#include <string>

namespace {

bool values_are_finite(const std::vector<double>& values)
{
    for (double value : values)
        if (!std::isfinite(value))
            return false;
    return true;
}

void append_values(std::string& text, const std::vector<double>& values)
{
    for (double value : values) {
        text += ' ';
        text += shortest_real_text(value);
    }
}

}  // namespace

bool Network::lesson_is_finite() const
{
    if (!weights_are_finite() || !std::isfinite(error_limit) || !std::isfinite(learning_rate()) ||
        !std::isfinite(held_out_share))
        return false;
    for (const TrainingPattern& pattern : patterns)
        if (!values_are_finite(pattern.inputs) || !values_are_finite(pattern.expected_outputs))
            return false;
    return true;
}

bool Network::write_lesson(std::ostream& out) const
{
    if (!lesson_is_finite())
        return false;
    // The readers stop at no record, so the training records may follow the network's; the
    // stream gets them in one write, after the network records, which are flushed.
    std::string text = "\n";
    for (const TrainingPattern& pattern : patterns) {
        text += key_text(FormatKey::Pattern);
        append_values(text, pattern.inputs);
        text += " ->";
        append_values(text, pattern.expected_outputs);
        text += '\n';
    }
    const auto record = [&text](FormatKey key, const std::string& value) {
        text += "\n" + record_start(key) + value;
    };
    record(FormatKey::ErrorLimit, shortest_real_text(error_limit));
    record(FormatKey::MaxIterations, std::to_string(max_iterations));
    record(FormatKey::LearningRate, shortest_real_text(learning_rate()));
    record(FormatKey::LearnThresholds, learn_thresholds ? "1" : "0");
    record(FormatKey::TestShare, shortest_real_text(held_out_share));
    record(FormatKey::TestSeed, std::to_string(held_out_seed));
    text += '\n';
    if (!write_network_records(out, true))
        return false;
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    return static_cast<bool>(out.flush());
}
