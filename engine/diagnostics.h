// What the network-file readers noticed while reading, for tools that explain a file to its
// author. The readers fill it only when given one; their results never depend on it.
#ifndef ENGINE_DIAGNOSTICS_H
#define ENGINE_DIAGNOSTICS_H

#include <cstddef>
#include <new>
#include <string>
#include <string_view>
#include <vector>

struct Diagnostic {
    int line;             // 1-based line of the file; 0 for the file as a whole
    std::string message;  // one sentence, without the file name or line
};

struct Diagnostics {
    // A file of nothing but bad tokens would otherwise cost many times its size in messages.
    static constexpr std::size_t max_entries = 1000;

    std::vector<Diagnostic> entries;  // the first max_entries, in the order they were noticed
    std::size_t dropped = 0;          // how many more were noticed and not kept
    // File line of each pattern the training reader appended, in order.
    std::vector<int> pattern_lines;

    // Keeps the note, or counts it when the list is full or memory has run out: noting a
    // problem never becomes one.
    void add(int line, std::string message) noexcept
    {
        if (entries.size() >= max_entries) {
            ++dropped;
            return;
        }
        try {
            entries.push_back({line, std::move(message)});
        } catch (const std::bad_alloc&) {
            ++dropped;
        }
    }
};

// Longest part of a token that a note quotes; a token of megabytes would otherwise make a
// note of megabytes.
constexpr std::size_t max_quoted_length = 40;

// The token in double quotes; a longer one cut after at most max_quoted_length bytes, "..." added.
inline std::string quoted_excerpt(std::string_view token)
{
    if (token.size() <= max_quoted_length)
        return "\"" + std::string(token) + "\"";
    // Cut before a character, not inside the bytes of a UTF-8 one.
    std::size_t length = max_quoted_length;
    while (length > 0 && (static_cast<unsigned char>(token[length]) & 0xC0) == 0x80)
        --length;
    return "\"" + std::string(token.substr(0, length)) + "...\"";
}

#endif
