// Reading one line of a network file: white-space separated tokens, and numbers taken as
// classic-locale stream extraction takes them, whatever locale the process runs in.
#ifndef ENGINE_LINE_READER_H
#define ENGINE_LINE_READER_H

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

private:
    void skip_space();

    const char* position;
    const char* end;
    bool failed = false;
};

// True when the token begins with a real number; the rest of the token is ignored.
bool token_begins_with_real(std::string_view token, double& value);

#endif
