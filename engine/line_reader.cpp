// Number and token extraction for the network-file readers, with the rules of classic-locale
// stream extraction but without streams, so that loading is fast and locale-proof.
#include "engine/line_reader.h"

#include "engine/real_text.h"

#include <charconv>
#include <locale>
#include <sstream>
#include <string>

namespace {

bool is_space(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool is_digit(char c)
{
    return c >= '0' && c <= '9';
}

const char* skip_sign(const char* p, const char* end)
{
    return (p != end && (*p == '+' || *p == '-')) ? p + 1 : p;
}

// from_chars takes no leading plus sign, which extraction allows.
std::string_view without_plus(std::string_view run)
{
    return (!run.empty() && run.front() == '+') ? run.substr(1) : run;
}

// The rare out-of-range case: extraction fails on overflow but accepts an underflow as its
// nearest value. Let a classic-locale stream decide.
bool read_real_by_stream(std::string_view run, double& value)
{
    std::istringstream stream{std::string(run)};
    stream.imbue(std::locale::classic());
    double result = 0.0;
    if (!(stream >> result))
        return false;
    value = result;
    return true;
}

}  // namespace

void LineReader::skip_space()
{
    while (position != end && is_space(*position))
        ++position;
}

std::string_view LineReader::next_token()
{
    skip_space();
    const char* start = position;
    while (position != end && !is_space(*position))
        ++position;
    return std::string_view(start, static_cast<std::size_t>(position - start));
}

bool LineReader::at_end()
{
    skip_space();
    return position == end;
}

bool LineReader::read_int(int& value)
{
    if (failed)
        return false;
    skip_space();
    const char* start = position;
    const char* p = skip_sign(position, end);
    while (p != end && is_digit(*p))
        ++p;
    position = p;
    const std::string_view run = without_plus(std::string_view(start, static_cast<std::size_t>(p - start)));
    int result = 0;
    const auto [last, error] = std::from_chars(run.data(), run.data() + run.size(), result);
    if (error != std::errc() || last != run.data() + run.size()) {
        failed = true;
        return false;
    }
    value = result;
    return true;
}

bool LineReader::read_real(double& value)
{
    if (failed)
        return false;
    skip_space();
    const char* start = position;
    const char* p = skip_sign(position, end);
    bool found_mantissa = false;
    bool found_point = false;
    bool found_exponent = false;
    while (p != end) {
        const char c = *p;
        if (is_digit(c)) {
            found_mantissa = true;
        } else if (c == '.' && !found_point && !found_exponent) {
            found_point = true;
        } else if ((c == 'e' || c == 'E') && !found_exponent && found_mantissa) {
            found_exponent = true;
            if (p + 1 != end && (p[1] == '+' || p[1] == '-'))
                ++p;
        } else {
            break;
        }
        ++p;
    }
    position = p;
    const std::string_view run = without_plus(std::string_view(start, static_cast<std::size_t>(p - start)));
    double result = 0.0;
    const auto [last, error] = read_real_chars(run.data(), run.data() + run.size(), result);
    bool ok = error == std::errc() && last == run.data() + run.size();
    if (error == std::errc::result_out_of_range)
        ok = read_real_by_stream(run, result);
    if (!ok) {
        failed = true;
        return false;
    }
    value = result;
    return true;
}

std::string_view LineReader::rest_of_token() const
{
    const char* stop = position;
    while (stop != end && !is_space(*stop))
        ++stop;
    return std::string_view(position, static_cast<std::size_t>(stop - position));
}

std::string cut_number_reason(std::string_view token, std::string_view rest)
{
    const std::string_view read = token.substr(0, token.size() - rest.size());
    const std::string_view digits = read.substr(read.empty() || (read[0] != '-' && read[0] != '+') ? 0 : 1);
    if (digits == "0" && rest.size() >= 2 && (rest[0] == 'x' || rest[0] == 'X'))
        return "hexadecimal numbers are not understood";
    if (rest.size() >= 2 && rest[0] == ',' && is_digit(rest[1]))
        return "a comma is neither a decimal point nor a separator between numbers";
    return "";
}

bool token_begins_with_real(std::string_view token, double& value)
{
    LineReader reader(token);
    return reader.read_real(value);
}

std::string quoted_excerpt(std::string_view token)
{
    std::size_t length = token.size();
    if (length > max_quoted_length) {
        length = max_quoted_length;
        while (length > 0 && (static_cast<unsigned char>(token[length]) & 0xC0) == 0x80)
            --length;
    }
    const std::string ellipsis = length < token.size() ? "..." : "";
    return "\"" + std::string(token.substr(0, length)) + ellipsis + "\"";
}
