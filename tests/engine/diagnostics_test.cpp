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
