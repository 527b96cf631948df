// Numbers as net_train prints them: a full stop as decimal point whatever the locale, and
// "nan" for every NaN, whatever its sign bit.
#ifndef TOOL_SUPPORT_NUMBER_TEXT_H
#define TOOL_SUPPORT_NUMBER_TEXT_H

#include <cstddef>
#include <string>

// The shortest text that reads back as the same double ("0.05", "20000", "1e-05").
std::string shortest_text(double value);
// Six significant digits, for errors that only need to be compared by eye ("0.0412346").
std::string short_text(double value);
// A fixed number of digits after the full stop, for columns of results ("12.500").
std::string fixed_text(double value, int digits);
// A count with its noun, plural unless the count is one ("1 output", "2 outputs").
std::string counted(std::size_t count, const std::string& singular);

#endif
