// What the network-file readers noticed while reading, for tools that explain a file to its
// author. The readers fill it only when given one; their results never depend on it.
#ifndef ENGINE_DIAGNOSTICS_H
#define ENGINE_DIAGNOSTICS_H

#include <string>
#include <vector>

struct Diagnostic {
    int line;             // 1-based line of the file; 0 for the file as a whole
    std::string message;  // one sentence, without the file name or line
};

struct Diagnostics {
    std::vector<Diagnostic> entries;
    // File line of each pattern the training reader appended, in order.
    std::vector<int> pattern_lines;

    void add(int line, std::string message) { entries.push_back({line, std::move(message)}); }
};

#endif
