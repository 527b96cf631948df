// Problems found in network and training files, as the tools report them on stderr:
// "net_train: FILE:LINE: message", or "net_train: FILE: message" for the file as a whole,
// each line opening with the reporting tool's name.
#ifndef TOOLS_FILE_PROBLEMS_H
#define TOOLS_FILE_PROBLEMS_H

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

// Appends what a reader noticed in `file`.
void add_reader_problems(std::vector<FileProblem>& problems, const std::string& file,
                         const Diagnostics& diagnostics);

// Appends one problem for each pattern whose input or expected output count does not fit the
// network, at the pattern's line. `diagnostics` is the one the training reader filled while
// it read the network's patterns, from the first.
void add_pattern_fit_problems(std::vector<FileProblem>& problems, const std::string& file,
                              const Network& network, const Diagnostics& diagnostics);

// Writes the problems in file order (files in the order they first appear) and line order,
// those about a file as a whole after its lines; at most `max_shown` of them, then a line
// counting the rest.
void print_problems(std::ostream& out, std::vector<FileProblem> problems, std::size_t max_shown,
                    const std::string& program = "net_train");

// One problem as it is printed, without the line end.
std::string problem_text(const FileProblem& problem, const std::string& program = "net_train");

#endif
