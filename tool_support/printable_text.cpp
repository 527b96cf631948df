// Escaping control characters and stray bytes, UTF-8 decoded just far enough to know
// which characters are controls.
#include "tool_support/printable_text.h"

#include <cstdio>

namespace {

constexpr unsigned char delete_character = 0x7f;
constexpr unsigned char space_character = 0x20;
// UTF-8 encodes the C1 controls U+0080 to U+009F as 0xC2 followed by 0x80 to 0x9F.
constexpr unsigned char c1_lead_byte = 0xc2;
constexpr unsigned char c1_last_byte = 0x9f;

// The name C gives a control character in a string, or 0.
char named_escape(unsigned char character)
{
    switch (character) {
    case '\a': return 'a';
    case '\b': return 'b';
    case '\t': return 't';
    case '\n': return 'n';
    case '\v': return 'v';
    case '\f': return 'f';
    case '\r': return 'r';
    default: return 0;
    }
}

void append_hex(std::string& out, const char* format, unsigned value)
{
    char escaped[8];
    std::snprintf(escaped, sizeof escaped, format, value);
    out += escaped;
}

bool continuation(unsigned char byte)
{
    return (byte & 0xc0) == 0x80;
}

// Length of the valid UTF-8 sequence that starts `text`, or 0 when it is not one
// (overlong forms, surrogates and values beyond U+10FFFF included).
std::size_t sequence_length(std::string_view text)
{
    const auto byte = [&text](std::size_t index) { return static_cast<unsigned char>(text[index]); };
    const unsigned char lead = byte(0);
    std::size_t length = 0;
    if (lead >= 0xc2 && lead <= 0xdf)
        length = 2;
    else if (lead >= 0xe0 && lead <= 0xef)
        length = 3;
    else if (lead >= 0xf0 && lead <= 0xf4)
        length = 4;
    if (length == 0 || text.size() < length)
        return 0;
    for (std::size_t index = 1; index < length; ++index)
        if (!continuation(byte(index)))
            return 0;
    const unsigned char second = byte(1);
    if ((lead == 0xe0 && second < 0xa0) || (lead == 0xed && second > 0x9f) || (lead == 0xf0 && second < 0x90) ||
        (lead == 0xf4 && second > 0x8f))
        return 0;
    return length;
}

}  // namespace

std::string printable(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    while (!text.empty()) {
        const unsigned char character = static_cast<unsigned char>(text[0]);
        std::size_t used = 1;
        if (const char name = named_escape(character)) {
            out += '\\';
            out += name;
        } else if (character < space_character || character == delete_character) {
            append_hex(out, "\\x%02x", character);
        } else if (character < 0x80) {
            out += static_cast<char>(character);
        } else if ((used = sequence_length(text)) == 0) {
            used = 1;
            append_hex(out, "\\x%02x", character);
        } else if (character == c1_lead_byte && static_cast<unsigned char>(text[1]) <= c1_last_byte) {
            append_hex(out, "\\u%04x", static_cast<unsigned char>(text[1]));
        } else {
            out.append(text.substr(0, used));
        }
        text.remove_prefix(used);
    }
    return out;
}
