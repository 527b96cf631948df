// What the start of a file tells about text that the readers cannot take as its author meant:
// UTF-16 text, or lines that end in carriage returns only; one message for each, for every reader.
#ifndef ENGINE_TEXT_FORM_H
#define ENGINE_TEXT_FORM_H

#include <cstddef>
#include <istream>
#include <string>
#include <string_view>

class LineSource;
struct Diagnostics;

enum class TextForm {
    Plain,                // UTF-8 or ASCII with line feeds, as the readers take it
    Utf16,                // either byte order, with or without its byte order mark
    CarriageReturnLines,  // an old Mac format: the readers see one long line
};

// How much of a file's start is searched for a line feed before it is taken for one whose
// lines end in carriage returns only.
constexpr std::size_t text_form_probe = 1 << 16;

// The form of a text that begins with `start`; only its first text_form_probe bytes count.
TextForm text_form_of(std::string_view start);
// The same for the text of `stream` from where it stands, to which it returns; nothing is
// allocated, so that even a reader short of memory can ask.
TextForm text_form_of(std::istream& stream);

// One sentence about a form other than Plain, naming `what` ("file", "table"); `refused`
// when the reader reads nothing of it, else it says what the reader makes of it.
std::string text_form_problem(TextForm form, const char* what, bool refused);

// Notes a form other than Plain in `diagnostics`, when given, at line 1; for readers that go on
// reading the file as before, so that its author hears why it reads as it does.
void note_text_form(LineSource& lines, Diagnostics* diagnostics);

#endif
