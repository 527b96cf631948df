// creature_lab run in-process: scores that rank the gallery's creatures, trace rows that agree
// with the world, evolution that improves and repeats itself, and the exit statuses.
#include "creature_lab/creature_lab.h"

#include "creature_evolution/evolution_report.h"
#include "creature_world/pixel_sensing.h"
#include "creature_world/world.h"
#include "program_shell/start_up.h"
#include "tests/support/headless_allegro.h"
#include "engine/network.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::string example_file(const std::string& name)
{
    return std::string(EXAMPLES_DIR) + "/" + name;
}

struct LabRun {
    int status;
    std::string out;
    std::string err;
};

LabRun lab(const std::vector<std::string>& arguments)
{
    std::ostringstream out;
    std::ostringstream err;
    const int status = run_creature_lab(arguments, out, err, CreatureLabSettings{});
    return {status, out.str(), err.str()};
}

std::vector<std::string> lines_of(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);)
        lines.push_back(line);
    return lines;
}

// The number of the last line, which must read "score: NUMBER".
double last_score(const LabRun& run)
{
    const std::vector<std::string> lines = lines_of(run.out);
    EXPECT_FALSE(lines.empty());
    if (lines.empty())
        return 0.0;
    EXPECT_EQ(lines.back().rfind("score: ", 0), 0u) << lines.back();
    return std::strtod(lines.back().c_str() + 7, nullptr);
}

double score(const std::string& creature, const std::string& behaviour)
{
    const LabRun run = lab({"score", example_file(creature), "--behaviour", behaviour, "--frames", "400"});
    EXPECT_EQ(run.status, 0) << run.err;
    return last_score(run);
}

TEST(LabScore, RanksTheGallerysCreaturesByBehaviour)
{
    EXPECT_GT(score("follower.txt", "follow"), score("avoider.txt", "follow") + 10.0);
    EXPECT_GT(score("avoider.txt", "flee"), score("follower.txt", "flee") + 10.0);
    EXPECT_GT(score("circler.txt", "circle"), score("follower.txt", "circle") + 10.0);
}

TEST(LabScore, ReportsEveryScenarioAndTheTotal)
{
    const LabRun run = lab({"score", example_file("follower.txt"), "--frames", "50"});
    ASSERT_EQ(run.status, 0) << run.err;
    for (const char* name : {"drift", "still-top-left", "still-top-right", "still-bottom-left",
                             "still-bottom-right", "jumps", "total"})
        EXPECT_NE(run.out.find(std::string("\n") + name + " "), std::string::npos) << name;
}

std::vector<double> csv_numbers(const std::string& row)
{
    std::vector<double> numbers;
    std::istringstream stream(row);
    for (std::string field; std::getline(stream, field, ',');)
        numbers.push_back(std::strtod(field.c_str(), nullptr));
    return numbers;
}

TEST(LabTrace, RowsAgreeWithTheDrawnWorld)
{
    TempDir directory;
    const std::string csv = directory.file("trace.csv");
    const std::string png = directory.file("trace.png");
    const int frames = 300;
    const LabRun run = lab({"trace", example_file("follower.txt"), "-o", csv, "--image", png, "--frames",
                            std::to_string(frames)});
    ASSERT_EQ(run.status, 0) << run.err;
    const std::vector<std::string> rows = lines_of(read_text_file(csv));
    ASSERT_EQ(rows.size(), static_cast<std::size_t>(frames) + 1);

    ASSERT_TRUE(start_headless_graphics());
    World world(Network(example_file("follower.txt").c_str()));
    const MemoryBitmap arena = make_bitmap(World::width, World::height);
    for (int frame = 1; frame <= frames; ++frame) {
        step_drawn(world, arena.get());
        const Creature& creature = world.creature;
        const std::vector<double> expected = {
            static_cast<double>(frame), creature.x, creature.y, world.spotlight.x, world.spotlight.y,
            static_cast<double>(world.spotlight.radius), creature.inputs[0], creature.inputs[1], creature.inputs[2],
            creature.outputs[0], creature.outputs[1], creature.outputs[2], creature.outputs[3]};
        ASSERT_EQ(csv_numbers(rows[static_cast<std::size_t>(frame)]), expected) << "frame " << frame;
    }
    const std::string picture = read_text_file(png);
    ASSERT_GT(picture.size(), 8u);
    EXPECT_EQ(picture.substr(1, 3), "PNG");
}

TEST(LabEvolve, ImprovesOnItsFirstGenerationAndRepeatsItself)
{
    TempDir directory;
    const auto evolve = [&](const std::string& name, const std::string& threads) {
        return lab({"evolve", "--behaviour", "follow", "-o", directory.file(name), "--hidden", "2",
                    "--population", "8", "--generations", "6", "--frames", "150", "--seed", "7",
                    "--threads", threads});
    };
    const LabRun first = evolve("first.txt", "1");
    ASSERT_EQ(first.status, 0) << first.err;
    const LabRun second = evolve("second.txt", "2");
    ASSERT_EQ(second.status, 0) << second.err;
    EXPECT_EQ(first.out.substr(0, first.out.find("written:")), second.out.substr(0, second.out.find("written:")));
    EXPECT_EQ(read_text_file(directory.file("first.txt")), read_text_file(directory.file("second.txt")));
    // Off a terminal nothing but problems goes to stderr: no progress line.
    EXPECT_EQ(first.err, "");

    const std::vector<std::string> lines = lines_of(first.out);
    ASSERT_EQ(lines.size(), 8u);
    const double first_best = std::strtod(lines[0].c_str() + lines[0].find("best ") + 5, nullptr);
    const double final_score = last_score(first);
    EXPECT_GT(final_score, first_best);

    // The written network scores what the evolution said it scores.
    const LabRun rescored = lab({"score", directory.file("first.txt"), "--frames", "150", "--seed", "7"});
    EXPECT_DOUBLE_EQ(last_score(rescored), final_score);
}

// The page's runner, one offspring after the other without threads, gives the lines and the
// file that creature_lab evolve gives on threads.
TEST(LabEvolve, SerialScoringGivesTheToolsLinesAndFile)
{
    TempDir directory;
    const LabRun run = lab({"evolve", "--behaviour", "circle", "-o", directory.file("e.txt"), "--population", "9",
                            "--generations", "3", "--frames", "120", "--seed", "5", "--threads", "3"});
    ASSERT_EQ(run.status, 0) << run.err;

    EvolutionSettings settings;
    settings.shape = creature_shape(default_hidden);
    settings.scoring = {Behaviour::circle, 120, 5};
    settings.population = 9;
    SerialScoring scoring;
    Evolution evolution(settings, scoring);
    std::vector<std::string> lines;
    for (int generation = 0; generation < 3; ++generation)
        lines.push_back(generation_line(evolution.next_generation()));
    const std::vector<std::string> printed = lines_of(run.out);
    EXPECT_EQ(lines, std::vector<std::string>(printed.begin(), printed.begin() + 3));
    const EvolutionRequest request{Behaviour::circle, 5, 9, 3, 120};
    EXPECT_EQ(evolution.best_text(evolved_comment(request, 3, evolution.best_score())),
              read_text_file(directory.file("e.txt")));
}

// Evolving a network into its own file never makes the file worse: the start network counts
// as a candidate, and here no offspring of the one generation beats it.
TEST(LabEvolve, TheStartNetworkCountsAsTheBestSoFar)
{
    TempDir directory;
    const std::string mine = directory.write("my.txt", read_text_file(example_file("follower.txt")));
    const double start = last_score(lab({"score", mine}));
    const LabRun run = lab({"evolve", "--behaviour", "follow", "--from", mine, "-o", mine, "--generations", "1",
                            "--population", "4", "--threads", "1"});
    ASSERT_EQ(run.status, 0) << run.err;
    const std::vector<std::string> lines = lines_of(run.out);
    ASSERT_EQ(lines.size(), 4u) << run.out;
    EXPECT_EQ(lines[0].rfind("start: " + mine + ", score ", 0), 0u) << lines[0];
    const double generation_best = std::strtod(lines[1].c_str() + lines[1].find("best ") + 5, nullptr);
    ASSERT_LT(generation_best, start) << "the case no longer tests a worse generation";
    EXPECT_DOUBLE_EQ(last_score(run), start);
    EXPECT_DOUBLE_EQ(last_score(lab({"score", mine})), start);
}

// Allegro's set-up adopts the user's locale; the lab's results and files must not follow it.
TEST(LabLocale, ResultsAndFilesKeepTheirFullStopUnderADecimalCommaLocale)
{
    TempDir directory;
    const std::string trace_file = directory.file("trace.csv");
    const std::string evolved_file = directory.file("evolved.txt");
    const auto run_all = [&] {
        std::string all = lab({"score", example_file("follower.txt"), "--frames", "60"}).out;
        all += lab({"trace", example_file("circler.txt"), "-o", trace_file, "--frames", "60"}).out;
        all += read_text_file(trace_file);
        all += lab({"evolve", "--behaviour", "flee", "-o", evolved_file, "--hidden", "2", "--population", "4",
                    "--generations", "1", "--frames", "60", "--threads", "1"})
                   .out;
        return all + read_text_file(evolved_file);
    };
    const std::string in_c_locale = run_all();
    ASSERT_NE(in_c_locale.find("score: "), std::string::npos) << in_c_locale;

    DecimalCommaLocale german;
    if (!german.active())
        GTEST_SKIP() << "no German locale on this machine";
    EXPECT_EQ(run_all(), in_c_locale);
}

struct StatusCase {
    const char* what;
    std::vector<std::string> arguments;
    int status;
    const char* in_err;
};

TEST(LabStatus, WrongCommandLinesAndUnusableFiles)
{
    TempDir directory;
    const std::string two_inputs = directory.write("two.txt", network_layers({2, 4}));
    const std::string broken = directory.write("broken.txt", "input_layer: 3\ncomp_layer: x\n");
    const std::string follower = example_file("follower.txt");
    const std::string no_directory = directory.file("missing/out.csv");
    const std::string mine = directory.write("mine.txt", read_text_file(follower));
    const StatusCase cases[] = {
        {"no command", {}, 64, "no command"},
        {"unknown command", {"run"}, 64, "unknown command 'run'"},
        {"no network", {"score"}, 64, "no NETWORK_FILE"},
        {"two networks", {"score", follower, follower}, 64, "unexpected"},
        {"bad behaviour", {"score", follower, "--behaviour", "hide"}, 64, "follow, flee or circle"},
        {"zero frames", {"score", follower, "--frames", "0"}, 64, "--frames"},
        {"seed not a number", {"score", follower, "--seed", "1x"}, 64, "--seed"},
        {"seed out of range", {"score", follower, "--seed=4294967296"}, 64,
         "option '--seed' needs a whole number from 0 to 4294967295, not '4294967296'"},
        {"empty frames", {"score", follower, "--frames", ""}, 64, "option '--frames' is empty"},
        {"empty output", {"trace", follower, "-o", ""}, 64, "option '-o' is empty; it needs a file name"},
        {"no behaviour named", {"score", follower, "--behaviour"}, 64, "needs follow, flee or circle"},
        {"network after --", {"score", "--", "-follower.txt"}, 2, "-follower.txt"},
        {"option of another command", {"score", follower, "--hidden", "3"}, 64, "unknown option"},
        {"trace without output", {"trace", follower}, 64, "-o FILE"},
        {"trace over its network", {"trace", mine, "-o", mine}, 64, "is the network file"},
        {"picture over its network", {"trace", mine, "-o", directory.file("t.csv"), "--image", mine}, 64,
         "is the network file"},
        {"picture over the trace", {"trace", follower, "-o", directory.file("t.csv"), "--image", directory.file("t.csv")},
         64, "is also the trace"},
        {"picture over the new trace named otherwise",
         {"trace", follower, "-o", directory.file("t.csv"), "--image", directory.file("./t.csv")}, 64,
         "is also the trace"},
        {"picture over its network says so",
         {"trace", mine, "-o", directory.file("t.csv"), "--image", mine}, 64, "writing the picture there"},
        {"hidden beside from", {"evolve", "--behaviour", "flee", "-o", directory.file("e.txt"), "--from", follower,
                                "--hidden", "3"}, 64, "'--hidden' cannot be given with '--from'"},
        {"trace too long", {"trace", follower, "-o", directory.file("t.csv"), "--frames", "1000001"}, 64, "at most"},
        {"evolve without behaviour", {"evolve", "-o", directory.file("e.txt")}, 64, "--behaviour"},
        {"missing file", {"score", directory.file("none.txt")}, 2, "creature_lab: "},
        {"not a creature", {"score", two_inputs}, 2, "2 inputs and 4 outputs"},
        {"broken file", {"score", broken}, 2, "broken.txt:2: "},
        {"unwritable trace", {"trace", follower, "-o", no_directory}, 73,
         "missing/out.csv: cannot write here: no such file or directory"},
        {"unwritable image", {"trace", follower, "-o", directory.file("t.csv"), "--image", directory.file(".")}, 73,
         ": cannot write here: is a directory"},
        {"unwritable network", {"evolve", "--behaviour", "flee", "-o", no_directory}, 73,
         "missing/out.csv: cannot write here: no such file or directory"},
        {"bad start network", {"evolve", "--behaviour", "flee", "-o", directory.file("e.txt"), "--from", two_inputs},
         2, "two.txt"},
    };
    for (const StatusCase& c : cases) {
        const LabRun run = lab(c.arguments);
        EXPECT_EQ(run.status, c.status) << c.what << ": " << run.err;
        EXPECT_NE(run.err.find(c.in_err), std::string::npos) << c.what << ": " << run.err;
        EXPECT_EQ(run.err.rfind("creature_lab: ", 0), 0u) << c.what << ": " << run.err;
    }
    EXPECT_EQ(read_text_file(mine), read_text_file(follower));
    // A refused network is explained by the reader alone, without an empty shape after it.
    EXPECT_EQ(lab({"score", broken}).err.find("0 inputs"), std::string::npos);
    const std::string one_one = directory.write("one.txt", "input_layer: 1\ncomp_layer: 1\n");
    EXPECT_NE(lab({"score", one_one}).err.find("the network has 1 input and 1 output;"), std::string::npos);
}

TEST(LabStatus, JoinedAndSeparateValuesRunAlike)
{
    const LabRun joined = lab({"score", example_file("follower.txt"), "--seed=5", "--frames=40"});
    const LabRun separate = lab({"score", "--seed", "5", "--frames", "40", example_file("follower.txt")});
    ASSERT_EQ(joined.status, 0) << joined.err;
    EXPECT_NE(joined.out.find("seed 5"), std::string::npos) << joined.out;
    EXPECT_EQ(joined.out, separate.out);
}

TEST(LabStatus, HelpForTheToolAndEachCommand)
{
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{"--help"}, {"score", "--help"}, {"trace", "-h"}, {"evolve", "--help"}}) {
        const LabRun run = lab(arguments);
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(run.out.rfind("Usage: creature_lab", 0), 0u) << run.out;
        EXPECT_TRUE(run.err.empty());
    }
}

}  // namespace
