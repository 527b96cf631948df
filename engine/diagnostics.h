/// @file
/// What the network-file readers noticed while reading, for tools that explain a file to its
/// author. The readers fill it only when given one; their results never depend on it.
#ifndef ENGINE_DIAGNOSTICS_H
#define ENGINE_DIAGNOSTICS_H

#include <algorithm>
#include <cstddef>
#include <new>
#include <string>
#include <vector>

/// What kind of failure a diagnostic reports, so that a caller need not guess it.
enum class DiagnosticKind {
    BadRecord,    ///< a record or token the reader could not use
    CannotOpen,   ///< the file could not be opened (line 0)
    OutOfMemory,  ///< the network, its completion or a line does not fit in memory
    TextForm,     ///< the file is UTF-16, or its lines end in carriage returns only (line 1)
    Warning,      ///< a value read as the format says that its author probably did not mean;
                  ///< the file reads the same with or without it, and training still starts
};

/// One thing a reader noticed: a record it could not use, and what it did instead.
struct Diagnostic {
    int line;             ///< 1-based line of the file; 0 for the file as a whole
    std::string message;  ///< one sentence, without the file name or line
    DiagnosticKind kind = DiagnosticKind::BadRecord;  ///< what kind of failure this is
};

/// Everything a reader noticed, in the order it noticed it.
struct Diagnostics {
    /// Most entries kept: a file of nothing but bad tokens would otherwise cost many times
    /// its size in messages.
    static constexpr std::size_t max_entries = 1000;

    std::vector<Diagnostic> entries;  ///< the first max_entries, in the order they were noticed
    std::size_t dropped = 0;          ///< how many more were noticed and not kept
    /// File line of each pattern the training reader appended, in order.
    std::vector<int> pattern_lines;
    /// Weights the random completion drew: those the network file left out.
    long long drawn_weights = 0;

    /// Keeps one more entry, or counts it as dropped once max_entries are kept or when memory
    /// has run out: noting a problem never becomes one.
    void add(int line, std::string message, DiagnosticKind kind = DiagnosticKind::BadRecord) noexcept
    {
        if (entries.size() >= max_entries) {
            ++dropped;
            return;
        }
        try {
            entries.push_back({line, std::move(message), kind});
        } catch (const std::bad_alloc&) {
            ++dropped;
        }
    }

    /// Removes the entries of `kind`: a second reader of the same file says again what the
    /// first said of its text as a whole.
    void forget(DiagnosticKind kind) noexcept
    {
        entries.erase(std::remove_if(entries.begin(), entries.end(),
                                     [kind](const Diagnostic& entry) { return entry.kind == kind; }),
                      entries.end());
    }

    /// True when every entry kept is a warning, or none is kept.
    bool only_warnings() const noexcept
    {
        return std::all_of(entries.begin(), entries.end(),
                           [](const Diagnostic& entry) { return entry.kind == DiagnosticKind::Warning; });
    }

    /// True when an entry of `kind` is kept.
    bool has(DiagnosticKind kind) const noexcept
    {
        for (const Diagnostic& entry : entries)
            if (entry.kind == kind)
                return true;
        return false;
    }
};

#endif
