// Printing file problems: the FILE:LINE form, the order of files and lines, and the cut.
#include "tool_support/file_problems.h"

#include "engine/diagnostics.h"
#include "tests/net_train/tool_files.h"

#include <gtest/gtest.h>

#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

#include <unistd.h>

TEST(FileProblems, LineZeroStandsForTheWholeFile)
{
    EXPECT_EQ(problem_text({"a.txt", 0, "cannot open the file"}), "net_train: a.txt: cannot open the file");
    EXPECT_EQ(problem_text({"a.txt", 12, "bad"}), "net_train: a.txt:12: bad");
}

TEST(FileProblems, FilesKeepTheirFirstOrderAndLinesAreSortedWithinEachWholeFileLast)
{
    std::ostringstream out;
    print_problems(out,
                   {{{"net.txt", 5, "e"}, {"train.txt", 0, "z"}, {"train.txt", 9, "x"}, {"net.txt", 2, "b"},
                     {"train.txt", 1, "y"}, {"net.txt", 2, "c"}},
                    0},
                   10);
    EXPECT_EQ(out.str(), "net_train: net.txt:2: b\nnet_train: net.txt:2: c\nnet_train: net.txt:5: e\n"
                         "net_train: train.txt:1: y\nnet_train: train.txt:9: x\nnet_train: train.txt: z\n");
}

TEST(FileProblems, OnlyTheFirstAreShownAndTheRestCounted)
{
    std::ostringstream out;
    print_problems(out, {{{"f", 1, "a"}, {"f", 2, "b"}, {"f", 3, "c"}}, 0}, 2);
    EXPECT_EQ(out.str(), "net_train: f:1: a\nnet_train: f:2: b\nnet_train: 1 further problem not shown\n");
    out.str("");
    print_problems(out, {{{"f", 1, "a"}}, 5}, 2);
    EXPECT_EQ(out.str(), "net_train: f:1: a\nnet_train: 5 further problems not shown\n");
}

TEST(FileProblems, ThousandsOfProblemsAreNamedUpToALimitAndAllCounted)
{
    TempDir directory;
    std::string text = "input_layer: 1\ncomp_layer: 1\n";
    for (int i = 0; i < 1200; ++i)
        text += "pattern: 1 2 x -> 1\n";  // one bad token and one input too many each
    const std::string path = directory.write("many.txt", text);
    Network network(path.c_str());
    Diagnostics diagnostics;
    ASSERT_EQ(network.read_training_section(path.c_str(), &diagnostics), 1200);
    FileProblems problems;
    add_reader_problems(problems, "many.txt", diagnostics);
    add_pattern_fit_problems(problems, "many.txt", network, diagnostics);
    EXPECT_EQ(problems.listed.size(), 2 * Diagnostics::max_entries);
    EXPECT_EQ(problems.unlisted, 2 * (1200 - Diagnostics::max_entries));
    std::ostringstream out;
    print_problems(out, problems, 30);
    EXPECT_NE(out.str().find("\nnet_train: 2370 further problems not shown\n"), std::string::npos);
}

TEST(FileProblems, AFileThatCannotBeOpenedGetsTheSystemsReason)
{
    TempDir directory;
    const std::string missing = directory.file("missing.txt");
    EXPECT_EQ(reason_not_readable(missing), "no such file or directory");
    EXPECT_EQ(reason_not_readable(directory.file("")), "it is a directory");
    EXPECT_EQ(reason_not_readable("/dev/null"), "it is not a regular file (a pipe, a device or a socket)");
    EXPECT_EQ(reason_not_readable(directory.write("a.txt", "") + "/b.txt"), "not a directory");
    EXPECT_EQ(reason_not_readable(directory.write("c.txt", "")), "");
    // A pipe nobody writes to would block an opening for good; it is refused unopened.
    const std::string pipe = directory.file("pipe");
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    EXPECT_EQ(reason_not_readable(pipe), "it is not a regular file (a pipe, a device or a socket)");
    const std::string locked = directory.write("locked.txt", "");
    chmod(locked.c_str(), 0);
    if (geteuid() != 0) {
        EXPECT_EQ(reason_not_readable(locked), "permission denied");
    }
    Diagnostics notes;
    notes.add(0, "cannot open the file", DiagnosticKind::CannotOpen);
    // A note on the file as a whole that is not about opening it gets no reason appended.
    notes.add(0, "the network does not fit in memory; the network is refused", DiagnosticKind::OutOfMemory);
    FileProblems problems;
    add_reader_problems(problems, missing, notes);
    ASSERT_EQ(problems.listed.size(), 2u);
    EXPECT_EQ(problems.listed[0].message, "cannot open the file: no such file or directory");
    EXPECT_EQ(problems.listed[1].message, "the network does not fit in memory; the network is refused");
}

// Two outputs naming one file would leave only the second; the names are compared by where
// they lead, whether the file exists yet or not.
TEST(FileProblems, SameFileComparesWhereNamesLead)
{
    const TempDir directory;
    const std::string existing = directory.write("a.txt", "a\n");
    const std::string fresh = directory.file("new.csv");
    const std::string dangling = directory.file("dangling.csv");
    ASSERT_EQ(symlink("new.csv", dangling.c_str()), 0);
    const std::string hard_link = directory.file("hard.txt");
    ASSERT_EQ(link(existing.c_str(), hard_link.c_str()), 0);
    const struct {
        std::string a, b;
        bool same;
    } cases[] = {
        {existing, existing, true},
        {existing, hard_link, true},
        {fresh, directory.file("./new.csv"), true},
        {dangling, fresh, true},
        {fresh, directory.file("other.csv"), false},
        {existing, fresh, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(same_file(c.a, c.b), c.same) << c.a << " " << c.b;
}
