// net_train -t with a CSV table: the same training as the network file's own "pattern:"
// records, and rows it cannot use named with their line.
#include "net_train/net_train.h"

#include "tests/net_train/tool_files.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

int run(const std::vector<std::string>& arguments, std::string& err)
{
    std::ostringstream out;
    std::ostringstream errors;
    const int status = run_net_train(arguments, out, errors, NetTrainSettings{});
    err = errors.str();
    return status;
}

class CsvTraining : public ::testing::Test {
protected:
    TempDir directory;
    const std::string network = directory.write("xor.txt", exclusive_or_text);
};

TEST_F(CsvTraining, TableTrainsAsThePatternRecordsDo)
{
    const std::string table = directory.write("xor.csv", "a,b,a xor b\n0,0,0\n0,1,1\n\n1,0,1\n1,1,0\n");
    std::string err;
    ASSERT_EQ(run({network, "-t", table, "-o", directory.file("from_table.txt")}, err), exit_success) << err;
    EXPECT_EQ(err.find("comma"), std::string::npos) << "a table's separators are no decimal commas: " << err;
    ASSERT_EQ(run({network, "-o", directory.file("from_records.txt")}, err), exit_success) << err;
    EXPECT_EQ(read_text_file(directory.file("from_table.txt")), read_text_file(directory.file("from_records.txt")));
}

TEST_F(CsvTraining, RowsThatCannotBeUsedAreNamedWithTheirLine)
{
    const std::string table = directory.write("bad.CSV", "0,0,0\n0,1\n1,0,one\n");
    std::string err;
    EXPECT_EQ(run({network, "-t", table}, err), exit_unusable_input);
    EXPECT_NE(err.find(table + ":2: row has 2 fields"), std::string::npos) << err;
    EXPECT_NE(err.find(table + ":3: field 3 (\"one\") is not a number"), std::string::npos) << err;
}

TEST_F(CsvTraining, TableWithoutRowsTrainsNothing)
{
    const std::string table = directory.write("empty.csv", "a,b,c\n\n");
    std::string err;
    EXPECT_EQ(run({network, "-t", table}, err), exit_unusable_input);
    EXPECT_NE(err.find("no rows of patterns"), std::string::npos) << err;
}

}  // namespace
