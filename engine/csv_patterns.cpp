// The CSV pattern reader: lines from the same line source as the network files, fields
// scanned at commas with the row's width checked as they come, each one whole number read as
// the network file's readers read them, whatever the process's locale.
#include "engine/csv_patterns.h"

#include "engine/diagnostics.h"
#include "engine/input_file.h"
#include "engine/line_reader.h"
#include "engine/line_source.h"
#include "engine/network.h"

#include <new>
#include <string>

namespace {

// How much of the file's start is searched for a line feed before it is taken for one whose
// lines end in carriage returns only.
constexpr std::size_t line_end_probe = 1 << 16;

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

// A row read field by field: the numbers of its first `width` fields, how many fields it has,
// and the first field that is not a number. Nothing grows with the row beyond the line itself.
struct ScannedRow {
    std::size_t fields = 0;
    std::size_t numbers = 0;
    std::size_t first_bad = 0;  // 1-based; 0 when every field is a number
    std::string_view bad_field;
};

ScannedRow scan_row(std::string_view line, std::size_t width, std::vector<double>& values)
{
    ScannedRow row;
    for (std::size_t start = 0;;) {
        const std::size_t comma = line.find(',', start);
        const std::string_view field = line.substr(start, comma == std::string_view::npos ? line.size() - start : comma - start);
        ++row.fields;
        double value = 0.0;
        if (read_field(field, value)) {
            ++row.numbers;
            if (row.fields <= width)
                values[row.fields - 1] = value;
        } else if (row.first_bad == 0) {
            row.first_bad = row.fields;
            row.bad_field = field;
        }
        if (comma == std::string_view::npos)
            return row;
        start = comma + 1;
    }
}

// "1 field", "3 fields".
std::string counted(std::size_t count, const char* thing)
{
    return std::to_string(count) + " " + thing + (count == 1 ? "" : "s");
}

// Why a field is not a number, in the words that help its author.
std::string bad_field_problem(const ScannedRow& row)
{
    std::string problem = "field " + std::to_string(row.first_bad) + " (" + quoted_excerpt(row.bad_field) +
                          ") is not a number";
    // Spreadsheets quote fields that hold text, and set to a decimal comma they export
    // their tables with semicolons.
    if (row.bad_field.find('"') != std::string_view::npos)
        problem += "; quoted fields are not read: write the numbers without quotation marks";
    else if (row.bad_field.find(';') != std::string_view::npos)
        problem += "; fields are separated by commas, not semicolons";
    return problem;
}

// True when the file's start has a carriage return and no line feed: a whole file of lines
// ending in carriage returns only would otherwise be read as one long line.
bool has_carriage_return_lines(std::ifstream& file)
{
    std::string start(line_end_probe, '\0');
    file.read(start.data(), static_cast<std::streamsize>(start.size()));
    start.resize(static_cast<std::size_t>(file.gcount()));
    file.clear();
    file.seekg(0);
    return start.find('\n') == std::string::npos && start.find('\r') != std::string::npos;
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
    const auto refuse = [diagnostics](int line, std::string message,
                                      DiagnosticKind kind = DiagnosticKind::BadRecord) {
        if (diagnostics != nullptr)
            diagnostics->add(line, std::move(message), kind);
        return 1;
    };
    if (has_carriage_return_lines(file))
        return refuse(1, "the lines end in carriage returns only (an old Mac format); save the table with "
                         "line feeds (Unix) or carriage return and line feed (Windows) line ends");

    const std::size_t inputs = static_cast<std::size_t>(network.input_count());
    const std::size_t width = inputs + static_cast<std::size_t>(network.output_count());
    long long stored_values = 0;
    for (int index = 0; index < network.pattern_count(); ++index) {
        const TrainingPattern& held = network.pattern(index);
        stored_values += static_cast<long long>(held.inputs.size() + held.expected_outputs.size());
    }

    int refused = 0;
    bool first_row = true;
    LineSource lines(file);
    // Running out of memory, or a line that cannot be read, ends the table with a refused row,
    // so that nothing trains on part of a table.
    try {
        std::vector<double> values(width);
        TrainingPattern pattern;
        std::string_view line;
        while (lines.next(line)) {
            const int line_number = lines.line_number();
            if (is_blank(line))
                continue;
            const ScannedRow row = scan_row(line, width, values);
            // A header names its columns: not one of its fields is a number.
            const bool header = first_row && row.numbers == 0;
            first_row = false;
            if (header)
                continue;
            if (row.first_bad != 0) {
                refused += refuse(line_number, bad_field_problem(row));
                continue;
            }
            if (row.fields != width) {
                refused += refuse(line_number, "row has " + counted(row.fields, "field") + "; the network needs " +
                                                   counted(inputs, "input") + " and " +
                                                   counted(width - inputs, "output") + ", " +
                                                   counted(width, "field"));
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
            for (std::size_t output = 0; output < pattern.expected_outputs.size(); ++output) {
                const double expected = pattern.expected_outputs[output];
                // A logistic output lies strictly between 0 and 1; training can never reach such a value.
                if (diagnostics != nullptr && !(expected >= 0.0 && expected <= 1.0))
                    diagnostics->add(line_number, "expected output " + std::to_string(output + 1) +
                                                      " lies outside 0 to 1, which the network's outputs never "
                                                      "reach; training cannot converge on this row");
            }
            network.add_pattern(pattern);
            stored_values += static_cast<long long>(width);
            if (diagnostics != nullptr)
                diagnostics->pattern_lines.push_back(line_number);
        }
    } catch (const std::bad_alloc&) {
        lines.release();
        return refused + refuse(lines.line_number(), "the line does not fit in memory; the table ends here",
                                DiagnosticKind::OutOfMemory);
    }
    if (!lines.failure().empty())
        refused += refuse(lines.line_number(), lines.failure() + "; the table ends here", lines.failure_kind());
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
