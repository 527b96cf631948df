// The gallery's lessons: each reads without a problem and, trained to its end, shows its point:
// it converges, or it reaches its iteration limit where the lesson is that it cannot learn.
#include "lab_session/lab_examples.h"
#include "lab_session/lab_session.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

struct Outcome {
    const char* network;
    TrainingState end;
    bool held_out_worse;  // the held-out patterns' worst error well above the training patterns'
};

constexpr Outcome outcomes[] = {
    {"exclusive_or_training.txt", TrainingState::Converged, false},
    {"lessons/no_hidden_layer.txt", TrainingState::IterationLimit, false},
    {"lessons/two_clouds.txt", TrainingState::Converged, false},
    {"lessons/circle_two_neurons.txt", TrainingState::IterationLimit, false},
    {"lessons/circle.txt", TrainingState::Converged, false},
    {"lessons/spirals.txt", TrainingState::Converged, false},
    {"lessons/over_fitting.txt", TrainingState::Converged, true},
    {"exclusive_or.txt", TrainingState::Converged, false},
    {"follower_training.txt", TrainingState::Converged, false},
};

const Outcome* outcome_of(const std::string& network)
{
    for (const Outcome& outcome : outcomes)
        if (network == outcome.network)
            return &outcome;
    return nullptr;
}

TEST(LabExamples, EveryLessonReadsCleanlyAndShowsItsPointWithinItsIterationLimit)
{
    const SecondsClock still_clock = [] { return 0.0; };
    for (const LabExample& example : lab_examples) {
        SCOPED_TRACE(example.network);
        EXPECT_NE(std::string(example.name), "");
        EXPECT_NE(std::string(example.line), "");
        const Outcome* outcome = outcome_of(example.network);
        ASSERT_NE(outcome, nullptr) << "a lesson without an expected outcome";
        const auto in_examples = [](const char* name) {
            return *name ? std::string(EXAMPLES_DIR) + "/" + name : std::string();
        };
        LabSession session;
        session.load({in_examples(example.network), in_examples(example.training)}, 0);
        EXPECT_TRUE(session.problems.empty()) << session.problems.front();
        EXPECT_EQ(session.drawn_weights, 0);  // the same run whatever the seed
        session.start_pause();
        session.train(session.network().max_iterations, INFINITY, still_clock);
        EXPECT_EQ(session.stepper.state, outcome->end);
        EXPECT_EQ(session.errors.held_out_patterns > 0, outcome->held_out_worse);
        if (outcome->held_out_worse) {
            EXPECT_GT(session.errors.held_out_worst, 10 * session.network().error_limit);
        }
    }
}

}  // namespace
