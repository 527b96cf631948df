// The lines of a network file, from an open stream or from text in memory, split as
// std::getline splits them, so that both give the readers the same lines.
#ifndef ENGINE_LINE_SOURCE_H
#define ENGINE_LINE_SOURCE_H

#include "engine/text_form.h"
#include "engine/diagnostics.h"

#include <istream>
#include <string>
#include <string_view>

// The UTF-8 byte order mark some editors put before the first line; every reader of our
// files passes over it.
constexpr std::string_view byte_order_mark = "\xEF\xBB\xBF";

class LineSource {
public:
    // Reads `text`, which must outlive the source.
    explicit LineSource(std::string_view text);
    // Reads `stream` from where it stands; the source owns its error handling from then on.
    explicit LineSource(std::istream& stream);

    // The next line without its line feed; false at the end or when the line cannot be read.
    // A UTF-8 byte order mark before the first line is not part of it. The view lasts until
    // the next call.
    bool next(std::string_view& line);
    // Whether the text is UTF-16 or has carriage returns for line ends; asked before the
    // first line, it leaves the reading where it stands.
    TextForm text_form() { return stream != nullptr ? text_form_of(*stream) : text_form_of(text); }
    // 1-based number of the line last given, or of the line that could not be read.
    int line_number() const { return number; }
    // Why reading ended early: empty after a normal end, else one sentence about the line.
    const std::string& failure() const { return failure_reason; }
    // What kind of failure ended reading: OutOfMemory when the line does not fit in memory.
    DiagnosticKind failure_kind() const
    {
        return ran_out_of_memory ? DiagnosticKind::OutOfMemory : DiagnosticKind::BadRecord;
    }
    // Gives up the line buffer, so that memory held for a long line returns before a reader
    // reports trouble.
    void release();

private:
    bool next_from_stream(std::string_view& line);
    bool next_from_text(std::string_view& line);

    std::istream* stream = nullptr;
    std::string_view text;
    std::string buffer;
    int number = 0;
    std::string failure_reason;
    bool ran_out_of_memory = false;
};

#endif
