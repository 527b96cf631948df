// The CSV pattern reader: fields split at commas, each one whole number read as the network
// file's readers read them, whatever the process's locale.
#include "engine/csv_patterns.h"

#include "engine/diagnostics.h"
#include "engine/input_file.h"
#include "engine/line_reader.h"
#include "engine/line_source.h"
#include "engine/network.h"

#include <string>

namespace {

// Reads one field as a whole real number: white space around it is allowed, nothing else.
bool read_field(std::string_view field, double& value)
{
    LineReader reader(field);
    return reader.read_real(value) && reader.at_end();
}

bool is_blank(std::string_view line)
{
    return LineReader(line).at_end();
}

void split_fields(std::string_view line, std::vector<std::string_view>& fields)
{
    fields.clear();
    for (std::size_t start = 0;;) {
        const std::size_t comma = line.find(',', start);
        if (comma == std::string_view::npos) {
            fields.push_back(line.substr(start));
            return;
        }
        fields.push_back(line.substr(start, comma - start));
        start = comma + 1;
    }
}

// A header names its columns: not one of its fields is a number.
bool is_header(const std::vector<std::string_view>& fields)
{
    double value = 0.0;
    for (std::string_view field : fields) {
        if (read_field(field, value))
            return false;
    }
    return true;
}

// Reads every field into `values`; false, naming the field, when one is not a number.
bool read_row(const std::vector<std::string_view>& fields, std::vector<double>& values, std::string& problem)
{
    values.assign(fields.size(), 0.0);
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (!read_field(fields[i], values[i])) {
            problem = "field " + std::to_string(i + 1) + " (\"" + std::string(fields[i].substr(0, 40)) +
                      "\") is not a number";
            // Spreadsheets set to a decimal comma export their tables with semicolons.
            if (fields[i].find(';') != std::string_view::npos)
                problem += "; fields are separated by commas, not semicolons";
            return false;
        }
    }
    return true;
}

}  // namespace

bool is_csv_file_name(std::string_view file_name)
{
    constexpr std::string_view extension = ".csv";
    if (file_name.size() < extension.size())
        return false;
    const std::string_view end = file_name.substr(file_name.size() - extension.size());
    for (std::size_t i = 0; i < extension.size(); ++i) {
        const char c = end[i];
        if ((c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c) != extension[i])
            return false;
    }
    return true;
}

int read_csv_patterns(Network& network, const char* file_name, Diagnostics* diagnostics)
{
    std::ifstream file;
    if (!open_for_reading(file_name, file)) {
        if (diagnostics != nullptr)
            diagnostics->add(0, "cannot open the file", DiagnosticKind::CannotOpen);
        return 1;
    }
    const std::size_t inputs = static_cast<std::size_t>(network.input_count());
    const std::size_t width = inputs + static_cast<std::size_t>(network.output_count());
    long long stored_values = 0;
    for (int index = 0; index < network.pattern_count(); ++index) {
        const TrainingPattern& held = network.pattern(index);
        stored_values += static_cast<long long>(held.inputs.size() + held.expected_outputs.size());
    }

    const auto refuse = [diagnostics](int line, std::string message) {
        if (diagnostics != nullptr)
            diagnostics->add(line, std::move(message));
        return 1;
    };
    int refused = 0;
    bool first_row = true;
    int line_number = 0;
    std::string line;
    std::vector<std::string_view> fields;
    std::vector<double> values;
    TrainingPattern pattern;
    while (std::getline(file, line)) {
        ++line_number;
        // Spreadsheets often begin their export with a byte order mark.
        if (line_number == 1 && line.compare(0, byte_order_mark.size(), byte_order_mark) == 0)
            line.erase(0, byte_order_mark.size());
        if (is_blank(line))
            continue;
        split_fields(line, fields);
        const bool header = first_row && is_header(fields);
        first_row = false;
        if (header)
            continue;
        std::string problem;
        if (!read_row(fields, values, problem)) {
            refused += refuse(line_number, problem);
            continue;
        }
        if (values.size() != width) {
            refused += refuse(line_number, "row has " + std::to_string(values.size()) + " fields; the network needs " +
                                               std::to_string(inputs) + " inputs and " +
                                               std::to_string(width - inputs) + " outputs, " +
                                               std::to_string(width) + " fields");
            continue;
        }
        if (network.pattern_count() >= Network::max_pattern_count ||
            stored_values + static_cast<long long>(width) > Network::max_pattern_value_count) {
            refused += refuse(line_number, "more than " + std::to_string(Network::max_pattern_count) +
                                               " patterns or " + std::to_string(Network::max_pattern_value_count) +
                                               " pattern values; this row is dropped");
            continue;
        }
        pattern.inputs.assign(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(inputs));
        pattern.expected_outputs.assign(values.begin() + static_cast<std::ptrdiff_t>(inputs), values.end());
        network.add_pattern(pattern);
        stored_values += static_cast<long long>(width);
        if (diagnostics != nullptr)
            diagnostics->pattern_lines.push_back(line_number);
    }
    return refused;
}

int load_training_records(Network& network, const char* network_file, const char* training_file,
                          Diagnostics* diagnostics)
{
    network.clear_patterns();
    if (training_file == nullptr || !is_csv_file_name(training_file))
        return network.read_training_section(training_file, diagnostics);
    network.read_training_section(network_file);
    network.clear_patterns();
    return read_csv_patterns(network, training_file, diagnostics);
}
