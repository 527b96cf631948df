// Problems found in network and training files, as the tools report them on stderr:
// "net_train: FILE:LINE: message", or "net_train: FILE: message" for the file as a whole,
// each line opening with the reporting tool's name.
#ifndef TOOL_SUPPORT_FILE_PROBLEMS_H
#define TOOL_SUPPORT_FILE_PROBLEMS_H

#include <iosfwd>
#include <string>
#include <vector>

class Network;
struct Diagnostics;

struct FileProblem {
    std::string file;
    int line;  // 1-based; 0 for the file as a whole
    std::string message;
};

// The problems of a run: the ones listed with their message, and a count of those noticed
// beyond a reader's or a check's limit, which are only counted.
struct FileProblems {
    std::vector<FileProblem> listed;
    std::size_t unlisted = 0;

    void add(const std::string& file, int line, std::string message)
    {
        listed.push_back({file, line, std::move(message)});
    }
};

// Appends what a reader noticed in `file`; a file it could not open gets the system's reason.
void add_reader_problems(FileProblems& problems, const std::string& file, const Diagnostics& diagnostics);

// A system's reason ("No such file or directory") as a clause of our messages, in lower case.
std::string reason_clause(std::string reason);

// True when the two names are the same file: the same text, one file reached two ways, or
// two names that lead to the same place, existing or not ("./t.csv" and "t.csv", a dangling
// symbolic link and the file it names).
bool same_file(const std::string& a, const std::string& b);

// Why `path` cannot be opened for reading, in a few words ("no such file or directory",
// "it is a directory"); empty when it can be. The engine's readable_file_problem decides.
std::string reason_not_readable(const std::string& path);

// Appends one problem for each pattern whose input or expected output count does not fit the
// network, at the pattern's line. `diagnostics` is the one the training reader filled while
// it read the network's patterns, from the first.
void add_pattern_fit_problems(FileProblems& problems, const std::string& file,
                              const Network& network, const Diagnostics& diagnostics);

// Why a network of input neurons only cannot be trained, as every tool says it.
std::string no_computing_layer_problem();

// Writes the problems in file order (files in the order they first appear) and line order,
// those about a file as a whole after its lines; at most `max_shown` of them, then a line
// counting the rest, the unlisted ones included. Each line starts with "`program`: ".
void print_problems(std::ostream& out, FileProblems problems, std::size_t max_shown,
                    const std::string& program = "net_train");

// One problem as it is printed, without the line end, its control characters escaped.
std::string problem_text(const FileProblem& problem, const std::string& program = "net_train");

#endif
