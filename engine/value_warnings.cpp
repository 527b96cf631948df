// The warnings' words, shared by the network, training and CSV readers.
#include "engine/value_warnings.h"

#include "engine/diagnostics.h"
#include "engine/format_keys.h"
#include "engine/line_reader.h"
#include "engine/real_text.h"
#include "engine/training_run.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace {

void warn(Diagnostics& diagnostics, int line, std::string message)
{
    diagnostics.add(line, std::move(message), DiagnosticKind::Warning);
}

// "\"max_weight:\" is -3: "
std::string parameter_is(FormatKey key, const ParameterRecord& record)
{
    return quoted_key(key) + " is " + shortest_real_text(record.value) + ": ";
}

}  // namespace

void note_cut_number(std::string_view token, std::string_view rest, const std::string& read_as, int line,
                     Diagnostics& diagnostics)
{
    if (rest.empty())
        return;
    const std::string reason = cut_number_reason(token, rest);
    if (!reason.empty())
        warn(diagnostics, line, quoted_excerpt(token) + " is read as " + read_as + ": " + reason);
}

void note_misspelt_threshold(int line, Diagnostics& diagnostics)
{
    warn(diagnostics, line,
         quoted_key(FormatKey::MisspeltThreshold) + " is no key of the network file, which spells it " +
             quoted_key(FormatKey::Threshold) + "; this line is ignored");
}

void note_zero_slope(const ParameterRecord& slope, Diagnostics& diagnostics)
{
    if (slope.line > 0 && slope.value == 0.0)
        warn(diagnostics, slope.line,
             parameter_is(FormatKey::SlopeParameter, slope) +
                 "every computing neuron outputs 0.5 whatever its inputs, and training cannot change that");
}

bool is_seed(double value)
{
    return value >= 0.0 && value <= static_cast<double>(UINT32_MAX) && value == std::floor(value);
}

void note_unworkable_training_parameters(const TrainingParameterRecords& records, Diagnostics& diagnostics)
{
    struct Found {
        int line;
        std::string message;
    };
    std::vector<Found> found;
    const auto note = [&found](const ParameterRecord& record, bool odd, FormatKey key, const std::string& why) {
        if (record.line > 0 && odd)
            found.push_back({record.line, parameter_is(key, record) + why});
    };
    const ParameterRecord& limit = records.error_limit;
    const ParameterRecord& passes = records.max_iterations;
    const ParameterRecord& rate = records.learning_rate;
    const ParameterRecord& weight = records.max_weight;
    note(limit, limit.value < 0.0, FormatKey::ErrorLimit,
         "no output can come within a negative limit, so training runs to the iteration limit");
    note(passes, passes.value <= 0.0, FormatKey::MaxIterations, "no training pass is made");
    note(rate, rate.value == 0.0, FormatKey::LearningRate, "training changes no weight");
    note(rate, rate.value < 0.0, FormatKey::LearningRate, "training moves the weights away from the patterns");
    note(weight, weight.value < 0.0, FormatKey::MaxWeight,
         "every weight that training changes becomes +" + shortest_real_text(-weight.value));
    const ParameterRecord& share = records.held_out_share;
    const ParameterRecord& seed = records.held_out_seed;
    note(share, share.value < 0.0, FormatKey::TestShare, "no pattern is held out of training");
    note(share, share.value > max_held_out_share, FormatKey::TestShare,
         "at most " + shortest_real_text(max_held_out_share) + " of the patterns are held out of training");
    note(seed, !is_seed(seed.value), FormatKey::TestSeed,
         "a seed is a whole number from 0 to " + std::to_string(UINT32_MAX) + "; this record is ignored");
    std::stable_sort(found.begin(), found.end(), [](const Found& a, const Found& b) { return a.line < b.line; });
    for (Found& entry : found)
        warn(diagnostics, entry.line, std::move(entry.message));
}
