// The readers' warnings: each kind named at its line, values in force only, nothing for plain
// files, and the same network, patterns and parameters read with or without them.
#include "engine/diagnostics.h"
#include "engine/network.h"
#include "tests/net_train/tool_files.h"
#include "engine/real_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

namespace {

// Which readers read the text: the network reader, the training reader, or both.
struct Readers {
    bool network = true;
    bool training = true;
};

// The warnings of the readers on `text`, one "LINE: message" line each, in line order.
std::string warnings_in(const std::string& text, Readers readers = {})
{
    Diagnostics notes;
    Network network = Network::from_text(readers.network ? text : "", 1u, &notes);
    if (readers.training)
        network.read_training_text(text, &notes);
    std::stable_sort(notes.entries.begin(), notes.entries.end(),
                     [](const Diagnostic& a, const Diagnostic& b) { return a.line < b.line; });
    std::string found;
    for (const Diagnostic& entry : notes.entries)
        if (entry.kind == DiagnosticKind::Warning)
            found += std::to_string(entry.line) + ": " + entry.message + "\n";
    return found;
}

// Everything a text reads as: the network as written, and the training parameters and patterns.
std::string read_as(const std::string& text, Diagnostics* notes)
{
    Network network = Network::from_text(text, 1u, notes);
    network.read_training_text(text, notes);
    std::ostringstream out;
    network.write_network(out);
    out << network.error_limit << ' ' << network.max_iterations << ' ' << network.learning_rate() << ' '
        << network.max_weight() << ' ' << network.slope_parameter() << ' ' << network.threshold();
    for (int index = 0; index < network.pattern_count(); ++index) {
        for (const double value : network.pattern(index).inputs)
            out << ' ' << value;
        out << " ->";
        for (const double value : network.pattern(index).expected_outputs)
            out << ' ' << value;
    }
    return out.str();
}

}  // namespace

TEST(ValueWarnings, EachKindIsNamedAtItsLine)
{
    struct Case {
        const char* text;
        const char* expected;
    };
    const Case cases[] = {
        {"pattern: 0,5 1 -> 1\n",
         "1: \"0,5\" is read as 0: a comma is neither a decimal point nor a separator between numbers\n"},
        {"\n  pattern: 0.25 -1,5e2\n",
         "2: \"-1,5e2\" is read as -1: a comma is neither a decimal point nor a separator between numbers\n"},
        {"pattern: 0x1p3 -> 1\n", "1: \"0x1p3\" is read as 0: hexadecimal numbers are not understood\n"},
        {"comp_layer: -0X10\n", "1: \"-0X10\" is read as 0: hexadecimal numbers are not understood\n"},
        {"error_limit: 0,05\n",
         "1: \"0,05\" is read as 0: a comma is neither a decimal point nor a separator between numbers\n"},
        {"max_weight: -3\n", "1: \"max_weight:\" is -3: every weight that training changes becomes +3\n"},
        {"learning_rate: 0\n", "1: \"learning_rate:\" is 0: training changes no weight\n"},
        {"learning_rate: -0.5\n",
         "1: \"learning_rate:\" is -0.5: training moves the weights away from the patterns\n"},
        {"max_iterations: 0.9\n", "1: \"max_iterations:\" is 0: no training pass is made\n"},
        {"test_share: 0.95\n", "1: \"test_share:\" is 0.95: at most 0.9 of the patterns are held out of training\n"},
        {"test_share: -0.1\n", "1: \"test_share:\" is -0.1: no pattern is held out of training\n"},
        {"test_seed: 4294967296\n", "1: \"test_seed:\" is 4294967296: a seed is a whole number from 0 to 4294967295; "
                                     "this record is ignored\n"},
        {"test_seed: 2.5\ntest_seed: 4294967295\n", ""},
        {"max_iterations: -5\n", "1: \"max_iterations:\" is -5: no training pass is made\n"},
        {"error_limit: -1e-3\n", "1: \"error_limit:\" is -0.001: no output can come within a negative limit, so "
                                 "training runs to the iteration limit\n"},
        {"slope_parameter: 0.0\n", "1: \"slope_parameter:\" is 0: every computing neuron outputs 0.5 whatever "
                                   "its inputs, and training cannot change that\n"},
        {"  threshold: 0.5\n",
         "1: \"threshold:\" is no key of the network file, which spells it \"treshold:\"; this line is ignored\n"},
    };
    for (const Case& test : cases)
        EXPECT_EQ(warnings_in(test.text), test.expected) << test.text;
}

TEST(ValueWarnings, AreWarningsThatChangeNothingRead)
{
    const std::string text = std::string(exclusive_or_text) +
                             "pattern: 0,5 0x1p3 -> 2\nthreshold: 1\nslope_parameter: 0\nerror_limit: -1\n"
                             "max_iterations: 0x10\nlearning_rate: -0,5\nmax_weight: -3\n";
    Diagnostics notes;
    EXPECT_EQ(read_as(text, &notes), read_as(text, nullptr));
    EXPECT_EQ(std::count_if(notes.entries.begin(), notes.entries.end(),
                            [](const Diagnostic& entry) { return entry.kind == DiagnosticKind::Warning; }),
              11);
    EXPECT_TRUE(notes.only_warnings());
}

TEST(ValueWarnings, SoundValuesAndOtherWordsPassWithoutAWord)
{
    EXPECT_EQ(warnings_in(std::string(exclusive_or_text) + "max_weight: 0\nerror_limit: 0\n"
                                                              "comment: 0,5 and 0x10 in free text\n"
                                                              "pattern: 1 -> 0.5x -> 1,\nweights: 1e5 0.5,\n"),
              "");
}

TEST(ValueWarnings, OnlyTheLastOfARepeatedParameterCounts)
{
    EXPECT_EQ(warnings_in("max_iterations: 0\nlearning_rate: -1\nmax_iterations: 100\nlearning_rate: 1\n"), "");
    EXPECT_EQ(warnings_in("max_iterations: 100\nmax_iterations: 0\n"),
              "2: \"max_iterations:\" is 0: no training pass is made\n");
}

TEST(ValueWarnings, EachReaderWarnsOfTheRecordsItActsOn)
{
    const std::string text = "treshold: 0,5\npattern: 0,5 -> 1\nthreshold: 1\nmax_iterations: 0\n";
    EXPECT_EQ(warnings_in(text, {true, false}),
              "1: \"0,5\" is read as 0: a comma is neither a decimal point nor a separator between numbers\n"
              "3: \"threshold:\" is no key of the network file, which spells it \"treshold:\"; this line is "
              "ignored\n");
    EXPECT_EQ(warnings_in(text, {false, true}),
              "2: \"0,5\" is read as 0: a comma is neither a decimal point nor a separator between numbers\n"
              "4: \"max_iterations:\" is 0: no training pass is made\n");
}

TEST(ValueWarnings, AByteOrderMarkBeforeTheFirstKeyIsPassedOver)
{
    EXPECT_EQ(warnings_in("\xEF\xBB\xBFmax_iterations: 0\n"), "1: \"max_iterations:\" is 0: no training pass is made\n");
    EXPECT_EQ(warnings_in("\xEF\xBB\xBF threshold: 1\n"),
              "1: \"threshold:\" is no key of the network file, which spells it \"treshold:\"; this line is ignored\n");
    EXPECT_EQ(warnings_in("x\n\xEF\xBB\xBFmax_iterations: 0\n"), "");
}

TEST(ValueWarnings, AHugeTokenIsPassedOverAndLinesStillCount)
{
    const std::string text = "pattern: " + std::string(1000000, '7') + ",5 -> 1\r\nlearning_rate: 0\n";
    EXPECT_EQ(warnings_in(text), "2: \"learning_rate:\" is 0: training changes no weight\n");
}

// A warning's "is read as" is what the readers made of the value, record by record.
TEST(ValueWarnings, SayWhatTheReadersRead)
{
    const std::string hexadecimal = "hexadecimal numbers are not understood";
    const std::string comma = "a comma is neither a decimal point nor a separator between numbers";
    const struct {
        const char* token;
        std::string reason;  // empty: the value is read as written, or as the rules say, unwarned
    } tokens[] = {
        {"0x10", hexadecimal}, {"0X1p3", hexadecimal}, {"-0x1", hexadecimal}, {"0,5", comma},
        {"-1,5e2", comma},     {"+2,5", comma},        {"0.5x", ""},          {"1e5", ""},
        {"2,", ""},            {"0x", ""},             {"3.5", ""},
    };
    const struct {
        const char* before;
        const char* after;
        bool whole;
        double (*value)(const Network&);
    } records[] = {
        {"input_layer: 1\ncomp_layer: 1\npattern: ", " -> 1\n", false,
         [](const Network& network) { return network.pattern(0).inputs.at(0); }},
        {"input_layer: 1\ntreshold: ", "\n", false, [](const Network& network) { return network.threshold(); }},
        {"error_limit: ", "\n", false, [](const Network& network) { return network.error_limit; }},
        {"max_iterations: ", "\n", true, [](const Network& network) { return double(network.max_iterations); }},
    };
    for (const auto& record : records) {
        for (const auto& token : tokens) {
            const std::string text = record.before + std::string(token.token) + record.after;
            SCOPED_TRACE(text);
            Network network = Network::from_text(text);
            network.read_training_text(text);
            const double value = record.value(network);
            const std::string read_as = record.whole ? std::to_string(static_cast<int>(value)) : shortest_real_text(value);
            const std::string found = warnings_in(text);
            const std::string warning = "\"" + std::string(token.token) + "\" is read as ";
            if (token.reason.empty())
                EXPECT_EQ(found.find(warning), std::string::npos) << found;
            else
                EXPECT_NE(found.find(warning + read_as + ": " + token.reason + "\n"), std::string::npos) << found;
        }
    }
}
