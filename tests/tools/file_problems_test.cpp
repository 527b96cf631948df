// Printing file problems: the FILE:LINE form, the order of files and lines, and the cut.
#include "tools/file_problems.h"

#include <gtest/gtest.h>

#include <sstream>

TEST(FileProblems, LineZeroStandsForTheWholeFile)
{
    EXPECT_EQ(problem_text({"a.txt", 0, "cannot open the file"}), "net_train: a.txt: cannot open the file");
    EXPECT_EQ(problem_text({"a.txt", 12, "bad"}), "net_train: a.txt:12: bad");
}

TEST(FileProblems, FilesKeepTheirFirstOrderAndLinesAreSortedWithinEachWholeFileLast)
{
    std::ostringstream out;
    print_problems(out,
                   {{"net.txt", 5, "e"}, {"train.txt", 0, "z"}, {"train.txt", 9, "x"}, {"net.txt", 2, "b"},
                    {"train.txt", 1, "y"}, {"net.txt", 2, "c"}},
                   10);
    EXPECT_EQ(out.str(), "net_train: net.txt:2: b\nnet_train: net.txt:2: c\nnet_train: net.txt:5: e\n"
                         "net_train: train.txt:1: y\nnet_train: train.txt:9: x\nnet_train: train.txt: z\n");
}

TEST(FileProblems, OnlyTheFirstAreShownAndTheRestCounted)
{
    std::ostringstream out;
    print_problems(out, {{"f", 1, "a"}, {"f", 2, "b"}, {"f", 3, "c"}}, 2);
    EXPECT_EQ(out.str(), "net_train: f:1: a\nnet_train: f:2: b\nnet_train: 1 further problem not shown\n");
}
