// Text from files and command lines made safe to show on a terminal: control characters
// escaped, so that a file cannot retitle, clear or move the user's terminal through our messages.
#ifndef TOOL_SUPPORT_PRINTABLE_TEXT_H
#define TOOL_SUPPORT_PRINTABLE_TEXT_H

#include <string>
#include <string_view>

// `text` with each control character written as C writes it in a string: "\a", "\b", "\t",
// "\n", "\v", "\f", "\r", otherwise "\x1b" (C0, DEL) or "\u009b" (C1); a byte that is not
// part of valid UTF-8 as "\xe9". Printable characters, UTF-8 ones and the backslash
// included, stay as they are, so that messages which name an escape ("\r") read as written.
std::string printable(std::string_view text);

#endif
