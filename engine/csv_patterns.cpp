// The CSV pattern reader: lines from the same line source as the network files, fields
// scanned at commas with the row's width checked as they come, each one whole number read as
// the network file's readers read them, whatever the process's locale.
#include "engine/csv_patterns.h"

#include "engine/diagnostics.h"
#include "engine/input_file.h"
#include "engine/line_reader.h"
#include "engine/line_source.h"
#include "engine/network.h"
#include "engine/target_range.h"
#include "engine/text_form.h"

#include <new>
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
    LineSource lines(file);
    // Either would give rows of nothing but refused fields.
    if (const TextForm form = lines.text_form(); form != TextForm::Plain)
        return refuse(1, text_form_problem(form, "table", true), DiagnosticKind::TextForm);

    const std::size_t inputs = static_cast<std::size_t>(network.input_count());
    const std::size_t width = inputs + static_cast<std::size_t>(network.output_count());
    long long stored_values = 0;
    for (int index = 0; index < network.pattern_count(); ++index) {
        const TrainingPattern& held = network.pattern(index);
        stored_values += static_cast<long long>(held.inputs.size() + held.expected_outputs.size());
    }

    int refused = 0;
    bool first_row = true;
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
            if (diagnostics != nullptr)
                note_targets_out_of_range(pattern.expected_outputs, line_number, "row", *diagnostics);
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
                          Diagnostics* diagnostics, Diagnostics* parameter_warnings)
{
    network.clear_patterns();
    if (training_file == nullptr || !is_csv_file_name(training_file))
        return network.read_training_section(training_file, diagnostics);
    if (parameter_warnings != nullptr) {
        Diagnostics notes;
        network.read_training_section(network_file, &notes);
        for (Diagnostic& entry : notes.entries)
            if (entry.kind == DiagnosticKind::Warning)
                parameter_warnings->add(entry.line, std::move(entry.message), entry.kind);
    } else {
        network.read_training_section(network_file);
    }
    network.clear_patterns();
    return read_csv_patterns(network, training_file, diagnostics);
}
