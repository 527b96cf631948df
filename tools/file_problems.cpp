// Reporting file problems: reader diagnostics, patterns that do not fit, and their printing.
#include "tools/file_problems.h"

#include "engine/diagnostics.h"
#include "engine/network.h"

#include <algorithm>
#include <limits>
#include <ostream>

namespace {

std::string counted(std::size_t count, const std::string& singular)
{
    return std::to_string(count) + " " + singular + (count == 1 ? "" : "s");
}

}  // namespace

void add_reader_problems(std::vector<FileProblem>& problems, const std::string& file,
                         const Diagnostics& diagnostics)
{
    for (const Diagnostic& entry : diagnostics.entries)
        problems.push_back({file, entry.line, entry.message});
    if (diagnostics.dropped > 0)
        problems.push_back({file, 0, counted(diagnostics.dropped, "further problem") + " not listed"});
}

void add_pattern_fit_problems(std::vector<FileProblem>& problems, const std::string& file,
                              const Network& network, const Diagnostics& diagnostics)
{
    const std::size_t inputs_needed = static_cast<std::size_t>(network.input_count());
    const std::size_t outputs_needed = static_cast<std::size_t>(network.output_count());
    std::size_t misfits = 0;
    for (int index = 0; index < network.pattern_count(); ++index) {
        const TrainingPattern& pattern = network.pattern(index);
        const bool fits = pattern.inputs.size() == inputs_needed && pattern.expected_outputs.size() == outputs_needed;
        // Up to a million patterns may be read; name the first ones and count the rest.
        if (!fits && ++misfits > Diagnostics::max_entries)
            continue;
        const std::size_t position = static_cast<std::size_t>(index);
        const int line = position < diagnostics.pattern_lines.size() ? diagnostics.pattern_lines[position] : 0;
        const std::string name = "pattern " + std::to_string(index + 1);
        if (pattern.inputs.size() != inputs_needed)
            problems.push_back({file, line,
                                name + " has " + counted(pattern.inputs.size(), "input value") +
                                    "; the network needs " + std::to_string(inputs_needed)});
        if (pattern.expected_outputs.size() != outputs_needed) {
            std::string message = name + " has " +
                                  counted(pattern.expected_outputs.size(), "expected output value") +
                                  "; the network needs " + std::to_string(outputs_needed);
            if (pattern.expected_outputs.empty() && outputs_needed > 0)
                message += " (is the \"->\" missing, or written against a number?)";
            problems.push_back({file, line, message});
        }
    }
    if (misfits > Diagnostics::max_entries)
        problems.push_back({file, 0, "patterns not listed that do not fit the network: " +
                                         std::to_string(misfits - Diagnostics::max_entries)});
}

std::string problem_text(const FileProblem& problem, const std::string& program)
{
    std::string text = program + ": " + problem.file;
    if (problem.line > 0)
        text += ":" + std::to_string(problem.line);
    return text + ": " + problem.message;
}

void print_problems(std::ostream& out, std::vector<FileProblem> problems, std::size_t max_shown,
                    const std::string& program)
{
    std::vector<std::string> files;
    for (const FileProblem& problem : problems) {
        if (std::find(files.begin(), files.end(), problem.file) == files.end())
            files.push_back(problem.file);
    }
    // What concerns the file as a whole sums up its lines, so it comes after them.
    const auto sort_line = [](const FileProblem& problem) {
        return problem.line > 0 ? problem.line : std::numeric_limits<int>::max();
    };
    const auto file_rank = [&files](const FileProblem& problem) {
        return std::find(files.begin(), files.end(), problem.file) - files.begin();
    };
    std::stable_sort(problems.begin(), problems.end(), [&](const FileProblem& a, const FileProblem& b) {
        if (file_rank(a) != file_rank(b))
            return file_rank(a) < file_rank(b);
        return sort_line(a) < sort_line(b);
    });
    for (std::size_t index = 0; index < problems.size() && index < max_shown; ++index)
        out << problem_text(problems[index], program) << '\n';
    if (problems.size() > max_shown)
        out << program << ": " << counted(problems.size() - max_shown, "further problem") << " not shown\n";
}
