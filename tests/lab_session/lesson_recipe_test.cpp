// A lesson made from a recipe: its link's text reads back as the same recipe, bad links are
// refused with a reason, and the lesson it makes is the lab's to train with its own share.
#include "lab_session/lesson_recipe.h"

#include "lab_session/lab_session.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

namespace {

TEST(LessonRecipe, LinkTextReadsBackAsTheSameRecipe)
{
    LessonRecipe spirals;
    spirals.layers = {2, 4, 4, 1};
    spirals.seed = 4294967295u;
    spirals.neurons.learning_rate = 2.5;
    spirals.neurons.slope_parameter = 0.7;
    spirals.learn_thresholds = false;
    spirals.error_limit = 0.05;
    spirals.max_iterations = 3000;
    spirals.held_out_share = 0.2;
    spirals.data_set = "spirals";
    spirals.points = 300;
    spirals.noise = 0.1;
    spirals.data_seed = 7;
    LessonRecipe drawn;
    drawn.layers = {2, 1};
    drawn.data_set = drawn_data;
    drawn.drawn = {drawn_point_at(0.1234, 0.9, 1), drawn_point_at(-1.0, 2.0, 0)};
    EXPECT_EQ(drawn.drawn[0], (DrawnPoint{0.123, 0.9, 1}));
    EXPECT_EQ(drawn.drawn[1], (DrawnPoint{0.0, 1.0, 0}));
    for (const LessonRecipe& recipe : {LessonRecipe{}, spirals, drawn}) {
        LessonRecipe read;
        read.seed = 99;
        std::string reason;
        ASSERT_TRUE(read_recipe_link(recipe_link_text(recipe), read, reason)) << reason;
        EXPECT_TRUE(read == recipe) << recipe_link_text(recipe);
    }
    EXPECT_NE(recipe_link_text(drawn).find("&drawn=0.123,0.9,1;0,1,0"), std::string::npos);
    // Nothing, or only separators, leaves the defaults.
    for (const char* empty : {"", "&", "seed=1&&"}) {
        LessonRecipe read;
        std::string reason;
        EXPECT_TRUE(read_recipe_link(empty, read, reason)) << empty << ": " << reason;
        EXPECT_TRUE(read == LessonRecipe{}) << empty;
    }
}

TEST(LessonRecipe, BadLinksAreRefusedWithTheirReasonAndChangeNothing)
{
    const std::string nine_hidden = "layers=2,1,1,1,1,1,1,1,1,1,1";
    const struct {
        std::string text;
        std::string reason;
    } refused[] = {
        {"layers=3,4,1", "'layers' must be sizes 2,...,1"},
        {"layers=2,33,1", "'layers' must be sizes"},
        {nine_hidden, "'layers' must be sizes"},
        {"layers=2,,1", "'layers' must be"},
        {"seed=4294967296", "'seed' must be a whole number from 0 to 4294967295"},
        {"seed=-1", "'seed' must be"},
        {"rate=0", "'rate' must be a number from 0.001 to 1000, not '0'"},
        {"slope=nan", "'slope' must be"},
        {"limit=0", "'limit' must be a number above 0"},
        {"share=0.95", "'share' must be a share from 0 to 0.9"},
        {"noise=0,5", "'noise' must be"},
        {"iterations=2.5", "'iterations' must be"},
        {"points=0", "'points' must be"},
        {"data=moons", "'data' must be a data set's name"},
        {"drawn=0.5,0.5,2", "'drawn' must be points"},
        {"drawn=0.5,1.5,1", "'drawn' must be points"},
        {"colour=blue", "unknown field 'colour'"},
        {"seed", "unknown field 'seed'"},
    };
    for (const auto& bad : refused) {
        LessonRecipe recipe;
        std::string reason;
        EXPECT_FALSE(read_recipe_link("seed=5&" + bad.text, recipe, reason)) << bad.text;
        EXPECT_EQ(reason.rfind(bad.reason, 0), 0u) << bad.text << ": " << reason;
        EXPECT_TRUE(recipe == LessonRecipe{}) << bad.text;
    }
}

TEST(LessonRecipe, TheLessonHoldsItsPatternsAndTheLabHoldsOutItsShare)
{
    LessonRecipe recipe;
    recipe.data_set = "xor";
    recipe.points = 40;
    recipe.held_out_share = 0.25;
    recipe.seed = 3;
    std::string text;
    std::string reason;
    ASSERT_TRUE(recipe_lesson_text(recipe, text, reason)) << reason;
    const TempDir directory;
    LabSession session;
    session.load({directory.write("lesson.txt", text), ""}, 0);
    EXPECT_TRUE(session.problems.empty());
    EXPECT_EQ(session.network().pattern_count(), 40);
    EXPECT_TRUE(session.network().learn_thresholds);
    EXPECT_EQ(session.errors.held_out_patterns, 10);
    EXPECT_EQ(session.seed, 3u);

    recipe.data_set = drawn_data;
    ASSERT_TRUE(recipe_lesson_text(recipe, text, reason)) << reason;  // no points yet: a lesson still
    recipe.layers = {2, 4};
    EXPECT_FALSE(recipe_lesson_text(recipe, text, reason));
    EXPECT_EQ(reason, "the layers must begin with 2 inputs and end with 1 output");
}

}  // namespace
