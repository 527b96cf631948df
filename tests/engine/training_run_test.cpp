// Training in steps gives exactly what one training call gives (weights, result, passes);
// the patterns' errors; the learning curve's points in bounded memory.
#include "engine/training_run.h"

#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>

namespace {

// Exclusive-or from fixed starting weights: converges after some thousands of passes.
const std::string exclusive_or_text =
    "input_layer: 2\ncomp_layer: 2\nweights: 0.5 -0.25\nweights: 1 0.75\n"
    "comp_layer: 1\nweights: 2 -1.5\ntreshold: 2\nslope_parameter: 2\n"
    "pattern: 0 0 -> 0\npattern: 0 1 -> 1\npattern: 1 0 -> 1\npattern: 1 1 -> 0\n"
    "error_limit: 0.05\nmax_iterations: 50000\nlearning_rate: 0.5\n";

struct RunOutcome {
    int result;
    int iterations_done;
    int max_iterations;
    std::vector<double> weights;
};

RunOutcome one_call(Network network)
{
    const int result = network.train(nullptr);
    return {result, network.iterations_done, network.max_iterations, all_weights(network)};
}

// Steps of the sizes `next_size` gives, from the passes made so far, until the run ends.
RunOutcome in_steps(Network network, const std::function<int(int)>& next_size)
{
    TrainingRun run(network.max_iterations);
    int steps = 0;
    while (!run.step(network, next_size(run.passes_done())).finished)
        EXPECT_LT(++steps, 200000) << "the run does not end";
    EXPECT_EQ(network.iterations_done, run.passes_done());
    return {run.result(), network.iterations_done, network.max_iterations, all_weights(network)};
}

void expect_same(const RunOutcome& expected, const RunOutcome& found, const std::string& label)
{
    EXPECT_EQ(found.result, expected.result) << label;
    EXPECT_EQ(found.iterations_done, expected.iterations_done) << label;
    EXPECT_EQ(found.max_iterations, expected.max_iterations) << label;
    EXPECT_EQ(found.weights, expected.weights) << label;  // bit for bit
}

TEST(TrainingRun, StepsOfAnySizeGiveTheWeightsResultAndPassesOfOneCall)
{
    const struct {
        const char* limit;  // appended max_iterations record; "" keeps the file's 50000
        int expected_result;
    } runs[] = {{"", Converged}, {"300", IterationLimit}, {"1", IterationLimit}, {"3001", IterationLimit},
                {"0", IterationLimit}, {"-5", IterationLimit}};
    const int changing[] = {0, 3, -2, 250, 1, 40, 7};  // 0 and below make no pass
    for (const auto& limited : runs) {
        const std::string text = exclusive_or_text + (*limited.limit ? std::string("max_iterations: ") + limited.limit + "\n" : "");
        const Network network = trainable_network(text);
        const RunOutcome expected = one_call(network);
        ASSERT_EQ(expected.result, limited.expected_result) << limited.limit;
        for (int size : {1, 2, 7, 299, 300, 301, 1000, 1000000})
            expect_same(expected, in_steps(network, [size](int) { return size; }), std::to_string(size));
        int call = 0;
        expect_same(expected, in_steps(network, [&](int) { return changing[call++ % 7]; }), "changing sizes");
    }
}

TEST(TrainingRun, ConvergedRunEndsAtThePassOfOneCallAndRunsNoMore)
{
    Network network = trainable_network(exclusive_or_text);
    const RunOutcome expected = one_call(network);
    TrainingRun run(network.max_iterations);
    TrainingStep step;
    while (!(step = run.step(network, 1000)).finished) {
    }
    EXPECT_EQ(step.result, Converged);
    EXPECT_EQ(run.passes_done(), expected.iterations_done);
    const std::vector<double> weights = all_weights(network);
    EXPECT_EQ(run.step(network, 10).passes, 0);
    EXPECT_EQ(all_weights(network), weights);
}

TEST(TrainingRun, PatternsThatDoNotFitChangeNothingNotEvenThePassCount)
{
    Network network = trainable_network(exclusive_or_text + "pattern: 1 1 1 -> 0\n");
    network.iterations_done = 17;
    const std::vector<double> before = all_weights(network);
    TrainingRun run(network.max_iterations);
    const TrainingStep step = run.step(network, 3);
    EXPECT_TRUE(step.finished);
    EXPECT_EQ(step.result, NoUsablePatterns);
    EXPECT_EQ(step.passes, 0);
    EXPECT_EQ(network.iterations_done, 17);
    EXPECT_EQ(network.max_iterations, 50000);
    EXPECT_EQ(all_weights(network), before);
    EXPECT_EQ(network.train(nullptr), NoUsablePatterns);
    EXPECT_EQ(network.iterations_done, 17);
}

TEST(PatternErrors, WorstMeanAndPerPatternOverEveryOutput)
{
    // All weights 0: every output is 0.5 whatever the input.
    const std::string text = "input_layer: 1\ncomp_layer: 2\nweights: 0\nweights: 0\n";
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double infinity = std::numeric_limits<double>::infinity();
    const struct {
        std::vector<TrainingPattern> patterns;
        double worst;
        double mean_squared;
        int worst_pattern;
        std::vector<int> worst_output;
    } cases[] = {
        {{}, 0.0, 0.0, -1, {}},
        {{{{0}, {0.5, 0.5}}, {{1}, {0.25, 0.5}}, {{2}, {0.5, 0.875}}}, 0.375, (0.0625 + 0.140625) / 6, 2, {0, 0, 1}},
        // A difference that is not a number counts as the worst: as +infinity.
        {{{{0}, {0.5, 0.5}}, {{nan}, {0.5, 0.5}}}, infinity, infinity, 1, {0, 0}},
        // A pattern that does not fit counts as 0 and adds nothing to the mean.
        {{{{0, 0}, {0.0, 0.0}}, {{0}, {0.5, 0.25}}}, 0.25, 0.03125, 1, {0, 1}},
    };
    for (const auto& c : cases) {
        Network network = Network::from_text(text);
        for (const TrainingPattern& pattern : c.patterns)
            network.add_pattern(pattern);
        PatternErrors errors;
        measure_pattern_errors(network, errors);
        EXPECT_EQ(errors.worst, c.worst);
        EXPECT_DOUBLE_EQ(errors.mean_squared, c.mean_squared);
        EXPECT_EQ(errors.worst_pattern, c.worst_pattern);
        EXPECT_EQ(errors.worst_output, c.worst_output);
    }
}

TEST(PatternErrors, RanksTheWorstFirstTiesByIndex)
{
    PatternErrors errors;
    errors.pattern_worst = {0.1, 0.5, 0.1, 0.9, 0.5};
    errors.order = {0, 1, 2, 3, 4};
    rank_worst_patterns(errors, 3);
    EXPECT_EQ(std::vector<int>(errors.order.begin(), errors.order.begin() + 3), (std::vector<int>{3, 1, 4}));
    rank_worst_patterns(errors, 99);  // more than there are
    EXPECT_EQ(errors.order, (std::vector<int>{3, 1, 4, 0, 2}));
}

std::vector<int> passes_of(const LearningCurve& curve)
{
    std::vector<int> passes;
    for (const CurvePoint& point : curve.points())
        passes.push_back(point.pass);
    return passes;
}

TEST(LearningCurve, PointsAtMultiplesOfKAndTheLatest)
{
    const struct {
        std::size_t max_points;
        std::vector<int> added;
        std::vector<int> kept;
        int step;
    } cases[] = {
        {4, {0, 1, 2, 3}, {0, 1, 2, 3}, 1},
        {4, {0, 1, 2, 3, 4}, {0, 2, 4}, 2},            // one too many: k doubles, odd passes go
        {4, {0, 1, 2, 3, 4, 5, 7}, {0, 2, 4, 7}, 2},   // 5 was the latest only until 7 came
        {4, {0, 1, 1, 2}, {0, 1, 2}, 1},               // a second point for one pass is dropped
        {4, {0, 1, 2, 3, 4, 6, 1}, {1}, 1},            // a pass behind the latest: weights reset
        {1, {0, 1, 2}, {0, 2}, 2},                     // at least two points are kept
    };
    for (const auto& c : cases) {
        LearningCurve curve(c.max_points);
        for (int pass : c.added)
            curve.add(pass, 1.0 / (pass + 1), 0.0);
        EXPECT_EQ(passes_of(curve), c.kept) << c.added.size();
        EXPECT_EQ(curve.step(), c.step) << c.added.size();
    }
}

TEST(LearningCurve, KeepsTheShapeOfALongRunInBoundedStore)
{
    constexpr int most = 1024;
    LearningCurve curve(most);
    for (int pass = 0; pass < 10 * most; ++pass)
        curve.add(pass, 1.0 / (pass + 1), 0.5 / (pass + 1));
    const std::vector<CurvePoint>& points = curve.points();
    EXPECT_LE(points.size(), static_cast<std::size_t>(most));
    EXPECT_GE(points.size(), static_cast<std::size_t>(most / 2));
    EXPECT_EQ(points.front().pass, 0);
    EXPECT_EQ(points.back().pass, 10 * most - 1);
    EXPECT_EQ(points.back().mean_squared, 0.5 / (10 * most));
    for (std::size_t i = 1; i < points.size(); ++i)
        ASSERT_LT(points[i - 1].pass, points[i].pass);
    curve.clear();
    EXPECT_TRUE(curve.points().empty());
    EXPECT_EQ(curve.step(), 1);
}

}  // namespace
