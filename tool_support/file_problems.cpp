// Reporting file problems: reader diagnostics, patterns that do not fit, and their printing.
#include "tool_support/file_problems.h"

#include "engine/diagnostics.h"
#include "engine/format_keys.h"
#include "engine/input_file.h"
#include "engine/network.h"
#include "tool_support/number_text.h"
#include "tool_support/printable_text.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <limits>
#include <ostream>

namespace {

// Symbolic links followed before a path is taken as it stands, as the system gives up too.
constexpr int max_links_followed = 40;

// Where `path` leads: symbolic links followed, a dangling one's target included, then the
// existing part resolved and the rest appended, so that two names of a file not yet written
// lead to the same place.
std::filesystem::path resolved_path(const std::string& path)
{
    namespace fs = std::filesystem;
    std::error_code error;
    fs::path resolved = fs::absolute(path, error);
    for (int followed = 0; followed < max_links_followed; ++followed) {
        resolved = fs::weakly_canonical(resolved, error);
        if (!fs::is_symlink(fs::symlink_status(resolved, error)))
            break;
        const fs::path target = fs::read_symlink(resolved, error);
        if (error)
            break;
        resolved = target.is_absolute() ? target : resolved.parent_path() / target;
    }
    return resolved.lexically_normal();
}

std::string system_reason(int error_number)
{
    return reason_clause(std::strerror(error_number));
}

}  // namespace

std::string reason_clause(std::string reason)
{
    if (!reason.empty())
        reason[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(reason[0])));
    return reason;
}

bool same_file(const std::string& a, const std::string& b)
{
    std::error_code error;
    return a == b || std::filesystem::equivalent(a, b, error) || resolved_path(a) == resolved_path(b);
}

std::string reason_not_readable(const std::string& path)
{
    const int problem = readable_file_problem(path.c_str());
    if (problem == 0)
        return "";
    if (problem == EISDIR)
        return "it is a directory";
    if (problem == not_a_regular_file)
        return "it is not a regular file (a pipe, a device or a socket)";
    return system_reason(problem);
}

void add_reader_problems(FileProblems& problems, const std::string& file, const Diagnostics& diagnostics)
{
    for (const Diagnostic& entry : diagnostics.entries) {
        // The reader only knows that it could not open the file; the system knows why.
        const std::string reason = entry.kind == DiagnosticKind::CannotOpen ? reason_not_readable(file) : "";
        problems.add(file, entry.line, reason.empty() ? entry.message : entry.message + ": " + reason);
    }
    problems.unlisted += diagnostics.dropped;
}

std::string no_computing_layer_problem()
{
    return "the network has no " + quoted_key(FormatKey::CompLayer) + "; training cannot change it";
}

void add_pattern_fit_problems(FileProblems& problems, const std::string& file, const Network& network,
                              const Diagnostics& diagnostics)
{
    const std::size_t inputs_needed = static_cast<std::size_t>(network.input_count());
    const std::size_t outputs_needed = static_cast<std::size_t>(network.output_count());
    std::size_t misfits = 0;
    for (int index = 0; index < network.pattern_count(); ++index) {
        const TrainingPattern& pattern = network.pattern(index);
        const bool inputs_fit = pattern.inputs.size() == inputs_needed;
        const bool outputs_fit = pattern.expected_outputs.size() == outputs_needed;
        // Up to a million patterns may be read; name the first ones and count the rest.
        if ((!inputs_fit || !outputs_fit) && ++misfits > Diagnostics::max_entries) {
            problems.unlisted += (inputs_fit ? 0 : 1) + (outputs_fit ? 0 : 1);
            continue;
        }
        const std::size_t position = static_cast<std::size_t>(index);
        const int line = position < diagnostics.pattern_lines.size() ? diagnostics.pattern_lines[position] : 0;
        const std::string name = "pattern " + std::to_string(index + 1);
        if (!inputs_fit)
            problems.add(file, line,
                         name + " has " + counted(pattern.inputs.size(), "input value") + "; the network needs " +
                             std::to_string(inputs_needed));
        if (!outputs_fit) {
            std::string message = name + " has " +
                                  counted(pattern.expected_outputs.size(), "expected output value") +
                                  "; the network needs " + std::to_string(outputs_needed);
            if (pattern.expected_outputs.empty() && outputs_needed > 0)
                message += " (is the \"->\" missing, or written against a number?)";
            problems.add(file, line, message);
        }
    }
}

std::string problem_text(const FileProblem& problem, const std::string& program)
{
    // Names and messages quote the files, which may hold anything a terminal acts on.
    std::string text = program + ": " + printable(problem.file);
    if (problem.line > 0)
        text += ":" + std::to_string(problem.line);
    return text + ": " + printable(problem.message);
}

void print_problems(std::ostream& out, FileProblems all, std::size_t max_shown, const std::string& program)
{
    std::vector<FileProblem>& problems = all.listed;
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
    const std::size_t not_shown = (problems.size() > max_shown ? problems.size() - max_shown : 0) + all.unlisted;
    if (not_shown > 0)
        out << program << ": " << counted(not_shown, "further problem") << " not shown\n";
}
