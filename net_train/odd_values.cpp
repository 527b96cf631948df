// The search for odd values: one pass over the text, token by token, keeping only a short
// prefix of each token, then a look at the parameter values that are in force at the end.
#include "net_train/odd_values.h"

#include "engine/line_reader.h"
#include "engine/line_source.h"
#include "tool_support/number_text.h"

#include <algorithm>
#include <cctype>
#include <istream>
#include <optional>
#include <streambuf>
#include <string_view>

namespace {

// Longer tokens are no numbers anyone wrote by hand; they are passed over.
constexpr std::size_t token_prefix_limit = 64;

struct Token {
    std::string prefix;  // the first token_prefix_limit characters
    std::size_t length = 0;

    bool whole() const { return length == prefix.size(); }
};

// Tokens of one line after another, read straight from the stream buffer.
class TokenStream {
public:
    explicit TokenStream(std::istream& in) : buffer(in.rdbuf()) {}

    // Starts the next line; false at the end of the text.
    bool start_line()
    {
        if (buffer == nullptr || peek() == end_of_text)
            return false;
        ++line_number;
        return true;
    }

    // The next token of the current line; false when the line has no more.
    bool next_token(Token& token)
    {
        int c = peek();
        for (; c != end_of_text && c != '\n' && is_space(c); c = peek())
            buffer->sbumpc();
        if (c == end_of_text || c == '\n')
            return false;
        token.prefix.clear();
        token.length = 0;
        for (; c != end_of_text && c != '\n' && !is_space(c); c = peek()) {
            if (token.prefix.size() < token_prefix_limit)
                token.prefix += static_cast<char>(c);
            ++token.length;
            buffer->sbumpc();
        }
        return true;
    }

    // Passes over the rest of the current line, its line end included.
    void finish_line()
    {
        for (int c = buffer->sbumpc(); c != end_of_text && c != '\n'; c = buffer->sbumpc()) {
        }
    }

    int line() const { return line_number; }

private:
    static constexpr int end_of_text = std::char_traits<char>::eof();

    // The same white space as the readers': space, tab, carriage return, vertical tab, form feed.
    static bool is_space(int c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }
    int peek() { return buffer->sgetc(); }


    std::streambuf* buffer;
    int line_number = 0;
};

// A parameter record's value, kept until the end because the last record wins.
struct Setting {
    int line = 0;
    double value = 0.0;
};

std::string quoted(std::string_view text)
{
    return "\"" + std::string(text) + "\"";
}

// A number written in a way the readers take only in part: the message, or nothing.
std::optional<std::string> odd_number(const Token& token, bool whole_number)
{
    if (!token.whole())
        return std::nullopt;
    const std::string& text = token.prefix;
    const std::size_t digits_start = (text[0] == '-' || text[0] == '+') ? 1 : 0;
    if (text.size() > digits_start + 2 && text[digits_start] == '0' &&
        (text[digits_start + 1] == 'x' || text[digits_start + 1] == 'X'))
        return quoted(text) + " is read as " + text.substr(0, digits_start + 1) +
               ": hexadecimal numbers are not understood";
    LineReader reader(text);
    bool read = false;
    if (whole_number) {
        int value = 0;
        read = reader.read_int(value);
    } else {
        double value = 0.0;
        read = reader.read_real(value);
    }
    const std::string_view rest = reader.next_token();
    if (read && rest.size() >= 2 && rest[0] == ',' && std::isdigit(static_cast<unsigned char>(rest[1])))
        return quoted(text) + " is read as " + text.substr(0, text.size() - rest.size()) +
               ": a comma is neither a decimal point nor a separator between numbers";
    return std::nullopt;
}

class OddValueSearch {
public:
    OddValueSearch(std::istream& in, OddValueScope scope) : tokens(in), scope(scope) {}

    std::vector<OddValue> run()
    {
        while (tokens.start_line()) {
            Token key;
            if (next_key(key) && key.whole())
                look_at_record(key.prefix);
            tokens.finish_line();
        }
        look_at_settings();
        return found;
    }

private:
    // The first token of the line; the readers pass over a UTF-8 byte order mark at the
    // start of the text, and so does this.
    bool next_key(Token& key)
    {
        if (!tokens.next_token(key))
            return false;
        if (tokens.line() != 1 || key.prefix.compare(0, byte_order_mark.size(), byte_order_mark) != 0)
            return true;
        if (key.length == byte_order_mark.size())
            return tokens.next_token(key);
        key.prefix.erase(0, byte_order_mark.size());
        key.length -= byte_order_mark.size();
        return true;
    }

    void note(int line, std::string message) { found.push_back({line, std::move(message)}); }

    // Looks at the values of the record `key` on the current line.
    void look_at_record(const std::string& key)
    {
        if (scope.network_records) {
            if (key == "weights:")
                return look_at_values(false, false);
            if (key == "input_layer:" || key == "comp_layer:" || key == "treshold:") {
                look_at_first_value(key != "treshold:");
                return;
            }
            if (key == "slope_parameter:")
                return keep_setting(slope, look_at_first_value(false));
            if (key == "threshold:")
                return note(tokens.line(), "\"threshold:\" is no key of the network file, which spells it "
                                           "\"treshold:\"; this line is ignored");
        }
        if (scope.training_records) {
            if (key == "pattern:")
                return look_at_values(false, true);
            if (key == "error_limit:")
                return keep_setting(error_limit, look_at_first_value(false));
            if (key == "max_iterations:")
                return keep_setting(max_iterations, look_at_first_value(true));
            if (key == "learning_rate:")
                return keep_setting(learning_rate, look_at_first_value(false));
            if (key == "max_weight:")
                return keep_setting(max_weight, look_at_first_value(false));
        }
    }

    void look_at_values(bool whole_number, bool arrows_allowed)
    {
        Token token;
        while (tokens.next_token(token)) {
            if (arrows_allowed && token.prefix == "->")
                continue;
            if (const std::optional<std::string> odd = odd_number(token, whole_number))
                note(tokens.line(), *odd);
        }
    }

    // The value a one-value record sets, as its reader reads it; nothing when it has none.
    std::optional<double> look_at_first_value(bool whole_number)
    {
        Token token;
        if (!tokens.next_token(token) || !token.whole())
            return std::nullopt;
        if (const std::optional<std::string> odd = odd_number(token, whole_number))
            note(tokens.line(), *odd);
        LineReader reader(token.prefix);
        if (whole_number) {
            int value = 0;
            return reader.read_int(value) ? std::optional<double>(value) : std::nullopt;
        }
        double value = 0.0;
        return reader.read_real(value) ? std::optional<double>(value) : std::nullopt;
    }

    void keep_setting(std::optional<Setting>& setting, std::optional<double> value)
    {
        if (value)
            setting = Setting{tokens.line(), *value};
    }

    // The parameters in force once the whole text is read.
    void look_at_settings()
    {
        const auto is = [](const char* key, const Setting& setting) {
            return quoted(key) + " is " + shortest_text(setting.value) + ": ";
        };
        if (slope && slope->value == 0.0)
            note(slope->line, is("slope_parameter:", *slope) +
                                  "every computing neuron outputs 0.5 whatever its inputs, and training "
                                  "cannot change that");
        if (error_limit && error_limit->value < 0.0)
            note(error_limit->line, is("error_limit:", *error_limit) +
                                        "no output can come within a negative limit, so training runs to the "
                                        "iteration limit");
        if (max_iterations && max_iterations->value <= 0.0)
            note(max_iterations->line, is("max_iterations:", *max_iterations) + "no training pass is made");
        if (learning_rate && learning_rate->value == 0.0)
            note(learning_rate->line, is("learning_rate:", *learning_rate) + "training changes no weight");
        if (learning_rate && learning_rate->value < 0.0)
            note(learning_rate->line, is("learning_rate:", *learning_rate) +
                                          "training moves the weights away from the patterns");
        if (max_weight && max_weight->value < 0.0)
            note(max_weight->line, is("max_weight:", *max_weight) + "every weight that training changes becomes +" +
                                       shortest_text(-max_weight->value));
        std::stable_sort(found.begin(), found.end(),
                         [](const OddValue& a, const OddValue& b) { return a.line < b.line; });
    }

    TokenStream tokens;
    OddValueScope scope;
    std::vector<OddValue> found;
    std::optional<Setting> slope;
    std::optional<Setting> error_limit;
    std::optional<Setting> max_iterations;
    std::optional<Setting> learning_rate;
    std::optional<Setting> max_weight;
};

}  // namespace

std::vector<OddValue> find_odd_values(std::istream& in, OddValueScope scope)
{
    return OddValueSearch(in, scope).run();
}
