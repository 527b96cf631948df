// What the readers tell a tool about a file: line numbers and causes, without changing what
// they build.
#include "engine/diagnostics.h"
#include "engine/network.h"

#include "tests/engine/network_files.h"

#include <gtest/gtest.h>

namespace {

// The diagnostics that reading a network file gives, each as "line: message".
std::vector<std::string> network_notes(const std::string& text)
{
    Diagnostics diagnostics;
    const Network network = Network::from_text(text, &diagnostics);
    std::vector<std::string> notes;
    for (const Diagnostic& entry : diagnostics.entries)
        notes.push_back(std::to_string(entry.line) + ": " + entry.message);
    return notes;
}

}  // namespace

TEST(Diagnostics, SoundFileGivesNone)
{
    Diagnostics diagnostics;
    const std::string path = data_file("xor_example.txt");
    Network network(path.c_str(), &diagnostics);
    EXPECT_EQ(network.read_training_section(path.c_str(), &diagnostics), 0);
    EXPECT_TRUE(diagnostics.entries.empty());
    EXPECT_EQ(diagnostics.pattern_lines, (std::vector<int>{14, 15, 16, 17}));
}

TEST(Diagnostics, RefusedNetworksSayWhichRecordAndWhy)
{
    EXPECT_EQ(network_notes("input_layer: -2\n"),
              std::vector<std::string>{"1: input layer size -2 is below 0; the network is refused"});
    EXPECT_EQ(network_notes("input_layer: 2\ncomp_layer: 1\ninput_layer: 1\n"),
              std::vector<std::string>{"3: a second \"input_layer:\" record; the network is refused"});
    EXPECT_EQ(network_notes("\ncomp_layer: 1\n"),
              std::vector<std::string>{"2: \"comp_layer:\" before \"input_layer:\"; the network is refused"});
    EXPECT_EQ(network_notes("input_layer: 3\ncomp_layer: 2000000\n"),
              std::vector<std::string>{"2: the network would have more than 1000000 neurons; the network is refused"});
    EXPECT_EQ(network_notes("input_layer: 7000\ncomp_layer: 7000\n"),
              std::vector<std::string>{
                  "2: the network would have more than 30000000 connections; the network is refused"});
}

TEST(Diagnostics, WeightsRecordsThatEndLoadingOrLoseValues)
{
    EXPECT_EQ(network_notes("input_layer: 2\nweights: 1 2\n"),
              std::vector<std::string>{"2: \"weights:\" record before any \"comp_layer:\" record; loading ends here"});
    EXPECT_EQ(network_notes("input_layer: 1\ncomp_layer: 1\nweights: 1\nweights: 2\n"),
              std::vector<std::string>{
                  "4: one \"weights:\" record more than the latest layer's 1 neurons; loading ends here"});
    EXPECT_EQ(network_notes("input_layer: 3\ncomp_layer: 1\nweights: 1 1e 3\n"),
              std::vector<std::string>{"3: weight 2 of \"weights:\", \"1e\", is not a number; the missing "
                                       "weights are drawn at random"});
    EXPECT_EQ(network_notes("input_layer: 1\ncomp_layer: 1\nweights: 1 2\n"),
              std::vector<std::string>{
                  "3: \"weights:\" has more values than the 1 neurons of the layer before; the rest is ignored"});
    EXPECT_TRUE(network_notes("input_layer: 3\ncomp_layer: 1\nweights: 1\n").empty());  // left out at the end
}

// A weight whose number ends inside its token is named with what was read and what became of
// the rest; the weights are those of the record written as it reads.
TEST(Diagnostics, AWeightReadOnlyInPartSaysWhatItIsReadAs)
{
    const std::string comma = "a comma is neither a decimal point nor a separator between numbers";
    const struct {
        std::string layers;
        std::string weights;
        std::string read_as;  // the same "weights:" record as the reader takes it
        std::string note;
    } cases[] = {
        {"input_layer: 2\ncomp_layer: 1\n", "0x10 0X1p3", "0",
         "weight 1 of \"weights:\", \"0x10\", is read as 0 (hexadecimal numbers are not understood); weight 2, "
         "\"x10\", is not a number; the missing weights are drawn at random"},
        {"input_layer: 2\ncomp_layer: 1\n", "1 0,5", "1 0",
         "weight 2 of \"weights:\", \"0,5\", is read as 0 (" + comma +
             "); the rest of the record, from \",5\" on, is ignored"},
        {"input_layer: 3\ncomp_layer: 1\n", "1 -1,5e2 2", "1 -1",
         "weight 2 of \"weights:\", \"-1,5e2\", is read as -1 (" + comma +
             "); weight 3, \",5e2\", is not a number; the missing weights are drawn at random"},
        {"input_layer: 1\ncomp_layer: 1\n", "0.5x 7", "0.5",
         "weight 1 of \"weights:\", \"0.5x\", is read as 0.5; the rest of the record, from \"x\" on, is ignored"},
        {"input_layer: 2\ncomp_layer: 1\n", "1 2 3", "1 2",
         "\"weights:\" has more values than the 2 neurons of the layer before; the rest is ignored"},
    };
    for (const auto& c : cases) {
        const std::string text = c.layers + "weights: " + c.weights + "\n";
        SCOPED_TRACE(text);
        EXPECT_EQ(network_notes(text), std::vector<std::string>{"3: " + c.note});
        const Network read = Network::from_text(text, 5u);
        const Network plain = Network::from_text(c.layers + "weights: " + c.read_as + "\n", 5u);
        ASSERT_EQ(read.neuron_count(), plain.neuron_count());
        for (int neuron = 0; neuron < read.neuron_count(); ++neuron)
            for (std::size_t k = 0; k < read.neuron(neuron).connections.size(); ++k)
                EXPECT_EQ(read.neuron(neuron).connections[k].weight, plain.neuron(neuron).connections[k].weight);
    }
}

// Text the readers cannot take as meant is named once, at line 1, and still reads as before.
TEST(Diagnostics, Utf16AndCarriageReturnLinesAreNamed)
{
    const std::string records = "input_layer: 2\r\ncomp_layer: 1\r\npattern: 0 1 -> 1\r\n";
    const std::string utf16_note = "1: the file is in UTF-16 (what Windows Notepad calls \"Unicode\"), so not one "
                                   "of its records can be read; save it as UTF-8";
    const std::string old_mac_note = "1: the lines end in carriage returns only (an old Mac format), so the whole "
                                     "file is read as one line and only its first record counts; save the file "
                                     "with line feeds (Unix) or carriage return and line feed (Windows) line ends";
    const struct {
        std::string text;
        std::string note;  // empty for none
        int inputs;
        int layers;
    } cases[] = {
        {utf16(records, false, true), utf16_note, 0, 0},
        {utf16(records, false, false), utf16_note, 0, 0},
        {utf16(records, true, true), utf16_note, 0, 0},
        {utf16(records, true, false), utf16_note, 0, 0},
        {"input_layer: 2\rcomp_layer: 1\rpattern: 0 1 -> 1\r", old_mac_note, 2, 1},
        {records, "", 2, 2},
        {"\xEF\xBB\xBF" + records, "", 2, 2},
    };
    const TempDir directory;
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.text));
        const std::vector<std::string> expected = c.note.empty() ? std::vector<std::string>{}
                                                                 : std::vector<std::string>{c.note};
        const std::string path = directory.write("network.txt", c.text);
        for (const bool from_file : {true, false}) {
            Diagnostics read_notes;
            Network network = from_file ? Network(path.c_str(), &read_notes) : Network::from_text(c.text, &read_notes);
            EXPECT_EQ(network.input_count(), c.inputs);
            EXPECT_EQ(network.layer_count(), c.layers);
            Diagnostics training_notes;
            if (from_file)
                network.read_training_section(path.c_str(), &training_notes);
            else
                network.read_training_text(c.text, &training_notes);
            for (const Diagnostics* notes : {&read_notes, &training_notes}) {
                std::vector<std::string> found;
                for (const Diagnostic& entry : notes->entries) {
                    found.push_back(std::to_string(entry.line) + ": " + entry.message);
                    EXPECT_EQ(entry.kind, DiagnosticKind::TextForm);
                }
                EXPECT_EQ(found, expected);
            }
        }
    }
}

TEST(Diagnostics, MissingNumbersInNetworkRecords)
{
    EXPECT_EQ(network_notes("input_layer: two\n"),
              std::vector<std::string>{"1: \"input_layer:\" has no whole number of neurons; taken as 0"});
    EXPECT_EQ(network_notes("input_layer: 1\ntreshold: high\n"),
              std::vector<std::string>{"2: \"treshold:\" has no number; ignored"});
}

TEST(Diagnostics, TrainingReaderNamesBadTokensAndMissingValues)
{
    Network network(nullptr);
    Diagnostics diagnostics;
    EXPECT_EQ(network.read_training_text("pattern: 1 a -> 1\nmax_iterations: 2x\nerror_limit: low\npattern: 2\n",
                                         &diagnostics),
              1);
    ASSERT_EQ(diagnostics.entries.size(), 2u);
    EXPECT_EQ(diagnostics.entries[0].line, 1);
    EXPECT_EQ(diagnostics.entries[0].message, "\"pattern:\" token \"a\" is neither a number nor \"->\"");
    EXPECT_EQ(diagnostics.entries[1].line, 3);
    EXPECT_EQ(diagnostics.entries[1].message, "\"error_limit:\" has no number; ignored");
    EXPECT_EQ(diagnostics.pattern_lines, (std::vector<int>{1, 4}));
    EXPECT_EQ(network.max_iterations, 2);
}

TEST(Diagnostics, ExpectedOutputsOutsideZeroToOneAreNamedAndKept)
{
    Network network(nullptr);
    Diagnostics diagnostics;
    EXPECT_EQ(network.read_training_text("pattern: 0 0 -> 2\npattern: 0 1 -> 1 0\npattern: 1 1 -> 0.5 -0.25\n",
                                         &diagnostics),
              0);
    const std::string unreachable = ", lies outside 0 to 1, which the network's outputs never reach; training "
                                    "cannot converge on this pattern";
    ASSERT_EQ(diagnostics.entries.size(), 2u);
    EXPECT_EQ(diagnostics.entries[0].line, 1);
    EXPECT_EQ(diagnostics.entries[0].message, "expected output 1, 2" + unreachable);
    EXPECT_EQ(diagnostics.entries[1].line, 3);
    EXPECT_EQ(diagnostics.entries[1].message, "expected output 2, -0.25" + unreachable);
    ASSERT_EQ(network.pattern_count(), 3);
    EXPECT_EQ(network.pattern(0).expected_outputs, std::vector<double>{2.0});
}

TEST(Diagnostics, MissingFileIsNamed)
{
    TempDir directory;
    Diagnostics diagnostics;
    Network network(directory.file("missing.txt").c_str(), &diagnostics);
    EXPECT_EQ(network.train(directory.file("missing.txt").c_str(), &diagnostics), NoUsablePatterns);
    ASSERT_EQ(diagnostics.entries.size(), 2u);
    EXPECT_EQ(diagnostics.entries[1].line, 0);
    EXPECT_EQ(diagnostics.entries[1].message, "cannot open the file");
}

TEST(Diagnostics, KeepsTheFirstThousandAndCountsTheRest)
{
    std::string text;
    for (int i = 0; i < 1500; ++i)
        text += "pattern: bad\n";
    Network network(nullptr);
    Diagnostics diagnostics;
    EXPECT_EQ(network.read_training_text(text, &diagnostics), 1500);
    EXPECT_EQ(diagnostics.entries.size(), Diagnostics::max_entries);
    EXPECT_EQ(diagnostics.dropped, 500u);
    EXPECT_EQ(diagnostics.entries.back().line, 1000);
    EXPECT_EQ(diagnostics.pattern_lines.size(), 1500u);
}

TEST(Diagnostics, LongTokensAreQuotedByTheirStartOnly)
{
    const std::string long_token(100000, 'x');
    Network network(nullptr);
    Diagnostics diagnostics;
    network.read_training_text("pattern: 1 " + long_token + " -> 1\n", &diagnostics);
    EXPECT_EQ(network_notes("input_layer: 2\ncomp_layer: 1\nweights: 1 " + long_token + "\n"),
              std::vector<std::string>{"3: weight 2 of \"weights:\", \"" + std::string(40, 'x') +
                                       "...\", is not a number; the missing weights are drawn at random"});

    // A cut never splits the bytes of one character.
    std::string umlauts = "a";
    for (int i = 0; i < 30; ++i)
        umlauts += "\xC3\xA4";
    network.read_training_text("pattern: " + umlauts + "\npattern: " + std::string(40, 'y') + "\n", &diagnostics);
    ASSERT_EQ(diagnostics.entries.size(), 3u);
    EXPECT_EQ(diagnostics.entries[0].message,
              "\"pattern:\" token \"" + std::string(40, 'x') + "...\" is neither a number nor \"->\"");
    EXPECT_EQ(diagnostics.entries[1].message,
              "\"pattern:\" token \"" + umlauts.substr(0, 39) + "...\" is neither a number nor \"->\"");
    EXPECT_EQ(diagnostics.entries[2].message,
              "\"pattern:\" token \"" + std::string(40, 'y') + "\" is neither a number nor \"->\"");
}

TEST(Diagnostics, EveryProblemBeyondTheKeptOnesIsCounted)
{
    std::string line = "pattern:";
    for (int i = 0; i < 100000; ++i)
        line += " bad";
    Network network(nullptr);
    Diagnostics diagnostics;
    EXPECT_EQ(network.read_training_text(line + "\n" + line + "\n", &diagnostics), 200000);
    EXPECT_EQ(diagnostics.entries.size(), Diagnostics::max_entries);
    EXPECT_EQ(diagnostics.dropped, 200000u - Diagnostics::max_entries);
}

TEST(Diagnostics, SayWhatKindOfFailureTheyReport)
{
    TempDir directory;
    const struct {
        std::string file;  // written unless empty
        const char* text;
        DiagnosticKind kind;
    } cases[] = {
        {"", "", DiagnosticKind::CannotOpen},
        {"bad.txt", "input_layer: 2\ninput_layer: 2\n", DiagnosticKind::BadRecord},
        {"limit.txt", "input_layer: 2000000\n", DiagnosticKind::BadRecord},
    };
    for (const auto& c : cases) {
        const std::string path = c.file.empty() ? directory.file("missing.txt") : directory.write(c.file, c.text);
        Diagnostics diagnostics;
        Network::from_file(path.c_str(), 1, &diagnostics);
        ASSERT_EQ(diagnostics.entries.size(), 1u) << path;
        EXPECT_EQ(diagnostics.entries[0].kind, c.kind) << path;
        EXPECT_TRUE(diagnostics.has(c.kind));
        Diagnostics training;
        EXPECT_EQ(Network(nullptr).read_training_section(path.c_str(), &training) > 0, c.file.empty()) << path;
        EXPECT_EQ(training.has(DiagnosticKind::CannotOpen), c.file.empty()) << path;
    }
}
