// Reading one line of a network file: white-space separated tokens, and numbers taken as
// classic-locale stream extraction takes them, whatever locale the process runs in.
#ifndef ENGINE_LINE_READER_H
#define ENGINE_LINE_READER_H

#include <cstddef>
#include <string>
#include <string_view>

class LineReader {
public:
    explicit LineReader(std::string_view line) : position(line.data()), end(line.data() + line.size()) {}

    // The next token, or an empty view at the end of the line.
    std::string_view next_token();
    // Skips white space; true when nothing else is left.
    bool at_end();

    // Each skips white space, then takes the longest run of characters that can continue a
    // number (sign, digits and, for reals, one full stop and an exponent) and stops before the
    // first that cannot. False when the run is no complete number or is out of range; like a
    // failed stream, the reader then refuses every further number.
    bool read_int(int& value);
    bool read_real(double& value);
    // What is left of the current token: empty right after a number that ended at white
    // space, the "x10" of "0x10" after its 0 was read. The reader does not move.
    std::string_view rest_of_token() const;

private:
    void skip_space();

    const char* position;
    const char* end;
    bool failed = false;
};

// True when the token begins with a real number; the rest of the token is ignored.
bool token_begins_with_real(std::string_view token, double& value);

// Why a number ended before its token did, when a common cause explains it: "0x10" stops at
// its "x" (hexadecimal), "0,5" at its comma (a decimal comma). Empty for other shapes.
std::string cut_number_reason(std::string_view token, std::string_view rest);

// Longest part of a token that a diagnostic quotes; a token of megabytes would otherwise make
// a message of megabytes.
constexpr std::size_t max_quoted_length = 40;

// The token in double quotes; a longer one cut after at most max_quoted_length bytes, before
// a UTF-8 character rather than inside it, with "..." added.
std::string quoted_excerpt(std::string_view token);

#endif
