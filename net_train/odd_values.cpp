// The search for odd values: the lines and numbers as the engine's readers take them, record
// by record, then a look at the parameter values that are in force at the end.
#include "net_train/odd_values.h"

#include "engine/line_reader.h"
#include "engine/line_source.h"
#include "tool_support/number_text.h"

#include <algorithm>
#include <istream>
#include <optional>
#include <string_view>

namespace {

// A parameter record's value, kept until the end because the last record wins.
struct Setting {
    int line = 0;
    double value = 0.0;
};

std::string quoted(std::string_view text)
{
    return "\"" + std::string(text) + "\"";
}

// A number that its reader takes only up to a comma or an "x": the message, or nothing.
std::optional<std::string> odd_number(std::string_view token, bool whole_number)
{
    LineReader reader(token);
    int whole = 0;
    double real = 0.0;
    if (whole_number ? !reader.read_int(whole) : !reader.read_real(real))
        return std::nullopt;
    const std::string value_text = whole_number ? std::to_string(whole) : shortest_text(real);
    const std::string reason = cut_number_reason(token, reader.rest_of_token());
    if (reason.empty())
        return std::nullopt;
    return quoted_excerpt(token) + " is read as " + value_text + ": " + reason;
}

class OddValueSearch {
public:
    OddValueSearch(std::istream& in, OddValueScope scope) : lines(in), scope(scope) {}

    std::vector<OddValue> run()
    {
        std::string_view line;
        while (lines.next(line)) {
            LineReader reader(line);
            look_at_record(reader.next_token(), reader);
        }
        look_at_settings();
        return found;
    }

private:
    void note(std::string message) { found.push_back({lines.line_number(), std::move(message)}); }

    // Looks at the values of the record `key`, which follow in `values`. The network reader
    // itself says what becomes of a "weights:" value read only in part.
    void look_at_record(std::string_view key, LineReader& values)
    {
        if (scope.network_records) {
            if (key == "input_layer:" || key == "comp_layer:" || key == "treshold:") {
                look_at_first_value(values, key != "treshold:");
                return;
            }
            if (key == "slope_parameter:")
                return keep_setting(slope, look_at_first_value(values, false));
            if (key == "threshold:")
                return note("\"threshold:\" is no key of the network file, which spells it \"treshold:\"; this "
                            "line is ignored");
        }
        if (scope.training_records) {
            if (key == "pattern:")
                return look_at_pattern(values);
            if (key == "error_limit:")
                return keep_setting(error_limit, look_at_first_value(values, false));
            if (key == "max_iterations:")
                return keep_setting(max_iterations, look_at_first_value(values, true));
            if (key == "learning_rate:")
                return keep_setting(learning_rate, look_at_first_value(values, false));
            if (key == "max_weight:")
                return keep_setting(max_weight, look_at_first_value(values, false));
        }
    }

    // The pattern reader reads each token on its own and ignores what follows its number.
    void look_at_pattern(LineReader& values)
    {
        for (std::string_view token = values.next_token(); !token.empty(); token = values.next_token()) {
            if (token == "->")
                continue;
            if (const std::optional<std::string> odd = odd_number(token, false))
                note(*odd);
        }
    }

    // The value a one-value record sets, as its reader reads it; nothing when it has none.
    std::optional<double> look_at_first_value(LineReader& values, bool whole_number)
    {
        const std::string_view token = LineReader(values).next_token();
        if (const std::optional<std::string> odd = odd_number(token, whole_number))
            note(*odd);
        if (whole_number) {
            int value = 0;
            return values.read_int(value) ? std::optional<double>(value) : std::nullopt;
        }
        double value = 0.0;
        return values.read_real(value) ? std::optional<double>(value) : std::nullopt;
    }

    void keep_setting(std::optional<Setting>& setting, std::optional<double> value)
    {
        if (value)
            setting = Setting{lines.line_number(), *value};
    }

    // The parameters in force once the whole text is read.
    void look_at_settings()
    {
        const auto is = [](const char* key, const Setting& setting) {
            return quoted(key) + " is " + shortest_text(setting.value) + ": ";
        };
        const auto note_at = [this](int line, std::string message) { found.push_back({line, std::move(message)}); };
        if (slope && slope->value == 0.0)
            note_at(slope->line, is("slope_parameter:", *slope) +
                                     "every computing neuron outputs 0.5 whatever its inputs, and training "
                                     "cannot change that");
        if (error_limit && error_limit->value < 0.0)
            note_at(error_limit->line, is("error_limit:", *error_limit) +
                                           "no output can come within a negative limit, so training runs to the "
                                           "iteration limit");
        if (max_iterations && max_iterations->value <= 0.0)
            note_at(max_iterations->line, is("max_iterations:", *max_iterations) + "no training pass is made");
        if (learning_rate && learning_rate->value == 0.0)
            note_at(learning_rate->line, is("learning_rate:", *learning_rate) + "training changes no weight");
        if (learning_rate && learning_rate->value < 0.0)
            note_at(learning_rate->line, is("learning_rate:", *learning_rate) +
                                             "training moves the weights away from the patterns");
        if (max_weight && max_weight->value < 0.0)
            note_at(max_weight->line, is("max_weight:", *max_weight) + "every weight that training changes becomes +" +
                                          shortest_text(-max_weight->value));
        std::stable_sort(found.begin(), found.end(),
                         [](const OddValue& a, const OddValue& b) { return a.line < b.line; });
    }

    LineSource lines;
    OddValueScope scope;
    std::vector<OddValue> found;
    std::optional<Setting> slope;
    std::optional<Setting> error_limit;
    std::optional<Setting> max_iterations;
    std::optional<Setting> learning_rate;
    std::optional<Setting> max_weight;
};

}  // namespace

std::vector<OddValue> find_odd_values(std::istream& in, OddValueScope scope)
{
    return OddValueSearch(in, scope).run();
}
