// Recognising UTF-16 and carriage-return line ends by a file's first bytes.
#include "engine/text_form.h"

#include "engine/diagnostics.h"
#include "engine/line_source.h"

#include <algorithm>

namespace {

// UTF-16 puts a NUL byte beside every ASCII character, so its first two bytes are a byte
// order mark or one NUL and one other byte; text in UTF-8 has no NUL bytes.
bool starts_as_utf16(unsigned char first, unsigned char second)
{
    const bool mark = (first == 0xFF && second == 0xFE) || (first == 0xFE && second == 0xFF);
    return mark || ((first == 0) != (second == 0));
}

// Line ends seen so far in a text's start.
struct LineEnds {
    bool line_feed = false;
    bool carriage_return = false;

    void add(std::string_view chunk)
    {
        line_feed = line_feed || chunk.find('\n') != std::string_view::npos;
        carriage_return = carriage_return || chunk.find('\r') != std::string_view::npos;
    }
    TextForm form() const { return carriage_return && !line_feed ? TextForm::CarriageReturnLines : TextForm::Plain; }
};

}  // namespace

TextForm text_form_of(std::string_view start)
{
    start = start.substr(0, text_form_probe);
    if (start.size() >= 2 &&
        starts_as_utf16(static_cast<unsigned char>(start[0]), static_cast<unsigned char>(start[1])))
        return TextForm::Utf16;
    LineEnds ends;
    ends.add(start);
    return ends.form();
}

TextForm text_form_of(std::istream& stream)
{
    const std::istream::pos_type origin = stream.tellg();
    if (origin == std::istream::pos_type(-1))
        return TextForm::Plain;
    char chunk[4096];
    LineEnds ends;
    TextForm form = TextForm::Plain;
    for (std::size_t looked_at = 0; looked_at < text_form_probe && !ends.line_feed;) {
        stream.read(chunk, static_cast<std::streamsize>(std::min(sizeof chunk, text_form_probe - looked_at)));
        const std::size_t got = static_cast<std::size_t>(stream.gcount());
        if (looked_at == 0 && got >= 2 &&
            starts_as_utf16(static_cast<unsigned char>(chunk[0]), static_cast<unsigned char>(chunk[1]))) {
            form = TextForm::Utf16;
            break;
        }
        ends.add(std::string_view(chunk, got));
        looked_at += got;
        if (got == 0 || !stream)
            break;
    }
    stream.clear();
    stream.seekg(origin);
    return form == TextForm::Utf16 ? form : ends.form();
}

std::string text_form_problem(TextForm form, const char* what, bool refused)
{
    const std::string name = what;
    switch (form) {
    case TextForm::Utf16:
        return "the " + name + " is in UTF-16 (what Windows Notepad calls \"Unicode\")" +
               (refused ? "" : ", so not one of its records can be read") + "; save it as UTF-8";
    case TextForm::CarriageReturnLines:
        return std::string("the lines end in carriage returns only (an old Mac format)") +
               (refused ? "" : ", so the whole " + name + " is read as one line and only its first record counts") +
               "; save the " + name + " with line feeds (Unix) or carriage return and line feed (Windows) line ends";
    case TextForm::Plain:
        break;
    }
    return "";
}

void note_text_form(LineSource& lines, Diagnostics* diagnostics)
{
    if (diagnostics == nullptr)
        return;
    const TextForm form = lines.text_form();
    if (form != TextForm::Plain)
        diagnostics->add(1, text_form_problem(form, "file", false), DiagnosticKind::TextForm);
}
