// net_train's command line: each option landing where it belongs, the network file operand,
// and the help text. How options are spelled is the scanner's, tested with tool_support.
#include "net_train/command_line.h"

#include <gtest/gtest.h>

TEST(CommandLine, TakesTheNetworkFileAndEveryOption)
{
    const ParsedCommandLine parsed = parse_command_line({"-q", "net.txt", "-t", "train.txt", "-o", "out.txt"});
    EXPECT_EQ(parsed.error, "");
    EXPECT_EQ(parsed.options.network_file, "net.txt");
    EXPECT_EQ(parsed.options.training_file, "train.txt");
    EXPECT_EQ(parsed.options.output_file, "out.txt");
    EXPECT_TRUE(parsed.options.quiet);
}

TEST(CommandLine, SeedCurveAndNearestOptions)
{
    const ParsedCommandLine parsed =
        parse_command_line({"--seed", "4294967295", "--curve", "c.csv", "--write-nearest", "net.txt"});
    EXPECT_EQ(parsed.error, "");
    EXPECT_TRUE(parsed.options.has_seed);
    EXPECT_EQ(parsed.options.seed, 4294967295u);
    EXPECT_EQ(parsed.options.curve_file, "c.csv");
    EXPECT_TRUE(parsed.options.write_nearest);
    const ParsedCommandLine joined = parse_command_line({"--seed=0", "--curve=d.csv", "net.txt"});
    EXPECT_TRUE(joined.options.has_seed);
    EXPECT_EQ(joined.options.seed, 0u);
    EXPECT_EQ(joined.options.curve_file, "d.csv");
    EXPECT_FALSE(parse_command_line({"net.txt"}).options.has_seed);
    EXPECT_EQ(parse_command_line({"--seed", "4294967296", "net.txt"}).error,
              "option '--seed' needs a whole number from 0 to 4294967295, not '4294967296'");
    EXPECT_EQ(parse_command_line({"net.txt", "--curve"}).error, "option '--curve' needs a file name");
}

TEST(CommandLine, TestShareFromZeroToNineTenthsAndItsSeed)
{
    const ParsedCommandLine parsed = parse_command_line({"--test-share", "0.25", "--test-seed=9", "net.txt"});
    EXPECT_EQ(parsed.error, "");
    EXPECT_EQ(parsed.options.test_share, 0.25);
    EXPECT_TRUE(parsed.options.has_test_seed);
    EXPECT_EQ(parsed.options.test_seed, 9u);
    EXPECT_EQ(parse_command_line({"--test-share=0.9", "net.txt"}).options.test_share, 0.9);
    EXPECT_EQ(parse_command_line({"net.txt"}).options.test_share, 0.0);
    for (const char* wrong : {"0.95", "-0.1", "nan", "NaN", "inf", "0,5", "0.5x"})
        EXPECT_EQ(parse_command_line({"--test-share", wrong, "net.txt"}).error,
                  std::string("option '--test-share' needs a share from 0 to 0.9; '") + wrong + "' is none");
    EXPECT_EQ(parse_command_line({"--test-share", "", "net.txt"}).error,
              "option '--test-share' is empty; it needs a share from 0 to 0.9");
    EXPECT_EQ(parse_command_line({"--test-seed", "3", "net.txt"}).error,
              "option '--test-seed' chooses the patterns --test-share holds out, and no share above 0 is given");
}

TEST(CommandLine, HelpAndVersionNeedNoFile)
{
    EXPECT_TRUE(parse_command_line({"--help"}).options.show_help);
    EXPECT_TRUE(parse_command_line({"-h"}).options.show_help);
    EXPECT_EQ(parse_command_line({"-h"}).error, "");
    EXPECT_TRUE(parse_command_line({"--version"}).options.show_version);
    EXPECT_EQ(parse_command_line({"--version"}).error, "");
}

TEST(CommandLine, UsageErrorsSayWhatIsWrong)
{
    EXPECT_EQ(parse_command_line({}).error, "no NETWORK_FILE given");
    EXPECT_EQ(parse_command_line({"a.txt", "b.txt"}).error, "one NETWORK_FILE only; unexpected 'b.txt'");
    EXPECT_EQ(parse_command_line({"--frobnicate", "a.txt"}).error, "unknown option '--frobnicate'");
    EXPECT_EQ(parse_command_line({"a.txt", "--training"}).error, "option '--training' needs a file name");
    EXPECT_EQ(parse_command_line({"a.txt", "-t", ""}).error, "option '-t' is empty; it needs a file name");
    EXPECT_EQ(parse_command_line({"--version=2"}).error, "option '--version' takes no value");
}

TEST(CommandLine, HelpNamesEveryOptionAndExitStatus)
{
    const std::string help = help_text;
    for (const char* part : {"--training", "--output", "--quiet", "--help", "--version", "\n  0 ", "\n  1 ",
                             "\n  2 ", "\n  64 ", "\n  65 ", "\n  73 ",
                             "--seed", "--curve", "--write-nearest", "--write-data-set", "--points", "--noise",
                             "--test-share", "--test-seed", "test_worst_error"})
        EXPECT_NE(help.find(part), std::string::npos) << part;
}

TEST(CommandLine, DataSetOptions)
{
    const ParsedCommandLine parsed =
        parse_command_line({"--write-data-set", "spirals", "--points=7", "--noise", "0.25", "-o", "s.csv"});
    EXPECT_EQ(parsed.error, "");
    EXPECT_EQ(parsed.options.data_set, "spirals");
    EXPECT_EQ(parsed.options.points, 7);
    EXPECT_EQ(parsed.options.noise, 0.25);
    EXPECT_EQ(parsed.options.output_file, "s.csv");
    const struct {
        std::vector<std::string> arguments;
        const char* error;
    } refused[] = {
        {{"--write-data-set", "xor"}, "--write-data-set needs -o FILE to write to"},
        {{"--write-data-set", "xor", "-o", "x.csv", "net.txt"},
         "--write-data-set takes no NETWORK_FILE; unexpected 'net.txt'"},
        {{"--write-data-set", "xor", "-o", "x.csv", "--curve", "c.csv"},
         "--write-data-set trains nothing: -t, --curve, --write-nearest, --test-share, --test-seed and "
         "--learn-thresholds do not go with it"},
        {{"--points", "5", "net.txt"}, "options '--points' and '--noise' need --write-data-set"},
        {{"--write-data-set", "xor", "--noise", "0,1", "-o", "x.csv"},
         "option '--noise' needs a number from 0 to 0.5, not '0,1'"},
        {{"--write-data-set", "xor", "--noise", "0.6", "-o", "x.csv"},
         "option '--noise' needs a number from 0 to 0.5, not '0.6'"},
        {{"--write-data-set", "xor", "--points", "0", "-o", "x.csv"},
         "option '--points' needs a whole number from 1 to 1000000, not '0'"},
    };
    for (const auto& row : refused)
        EXPECT_EQ(parse_command_line(row.arguments).error, row.error);
}
