// Splitting a network file into lines, from a stream or from memory, without letting a line
// too long for memory or a failing read end the file unnoticed.
#include "engine/line_source.h"

#include <new>

namespace {

void skip_byte_order_mark(std::string_view& line)
{
    if (line.substr(0, byte_order_mark.size()) == byte_order_mark)
        line.remove_prefix(byte_order_mark.size());
}

}  // namespace

LineSource::LineSource(std::string_view text) : text(text) {}

LineSource::LineSource(std::istream& stream) : stream(&stream) {}

bool LineSource::next(std::string_view& line)
{
    if (!failure_reason.empty())
        return false;
    const bool found = stream != nullptr ? next_from_stream(line) : next_from_text(line);
    if (found && number == 1)
        skip_byte_order_mark(line);
    return found;
}

bool LineSource::next_from_text(std::string_view& line)
{
    if (text.empty())
        return false;
    const std::size_t end = text.find('\n');
    line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    ++number;
    return true;
}

bool LineSource::next_from_stream(std::string_view& line)
{
    // With badbit among the exceptions, std::getline passes on what went wrong instead of
    // only marking the stream bad, which would end the file as if it were complete.
    bool found = false;
    try {
        stream->exceptions(std::ios_base::badbit);
        found = static_cast<bool>(std::getline(*stream, buffer));
    } catch (const std::bad_alloc&) {
        release();
        failure_reason = "the line is too long to hold in memory";
        ran_out_of_memory = true;
    } catch (const std::exception&) {
        release();
        failure_reason = "the line cannot be read";
    }
    if (!found && failure_reason.empty())
        return false;
    ++number;
    if (!found)
        return false;
    line = buffer;
    return true;
}

void LineSource::release()
{
    std::string().swap(buffer);
}
