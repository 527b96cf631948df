// Training runs made in steps, the patterns' errors and the learning curve. A step limited to
// k passes makes exactly the first k (check, training) pairs of a longer run, and the next
// step begins with the check the longer run would make next, so steps add up bit for bit.
#include "engine/training_run.h"

#include <algorithm>
#include <cmath>
#include <limits>

TrainingRun::TrainingRun(int pass_limit, const Network& network, double share, std::uint32_t seed)
    : limit(pass_limit)
{
    choose_held_out(network.pattern_count(), share, seed, held_out_marks);
    for (std::size_t index = 0; index < held_out_marks.size(); ++index)
        if (held_out_marks[index] == 0)
            training.push_back(network.pattern(static_cast<int>(index)));
}

TrainingStep TrainingRun::step(Network& network, int passes)
{
    TrainingStep made;
    if (!ended && !network.patterns_fit()) {
        ended = true;
        outcome = NoUsablePatterns;
    }
    if (!ended) {
        const int size = std::min(std::max(passes, 0), std::max(limit - done, 0));
        const std::vector<TrainingPattern>& trained = held_out_marks.empty() ? network.patterns : training;
        if (size > 0 && network.train_passes(size, made.passes, outputs, trained) == Converged) {
            ended = true;
            outcome = Converged;
        }
        done += made.passes;
        // At the limit the run ends without a final check, as one training call does.
        if (!ended && done >= limit) {
            ended = true;
            outcome = IterationLimit;
        }
        network.iterations_done = done;
    }
    made.finished = ended;
    made.result = outcome;
    return made;
}

void measure_pattern_errors(Network& network, PatternErrors& errors)
{
    measure_pattern_errors(network, errors, TrainingRun(0));
}

void measure_pattern_errors(Network& network, PatternErrors& errors, const TrainingRun& run)
{
    const std::vector<char>& held_out = run.held_out();
    const std::size_t count = static_cast<std::size_t>(network.pattern_count());
    if (errors.pattern_worst.size() != count) {
        errors.pattern_worst.assign(count, 0.0);
        errors.worst_output.assign(count, 0);
        errors.computed.assign(count, 0.0);
        errors.order.resize(count);
    }
    for (std::size_t i = 0; i < count; ++i)
        errors.order[i] = static_cast<int>(i);
    errors.worst = 0.0;
    errors.worst_pattern = -1;
    errors.held_out_patterns = 0;
    errors.held_out_worst = 0.0;
    double squares = 0.0;
    long long differences = 0;
    double held_out_squares = 0.0;
    long long held_out_differences = 0;
    for (std::size_t index = 0; index < count; ++index) {
        const bool apart = index < held_out.size() && held_out[index] != 0;
        errors.held_out_patterns += apart ? 1 : 0;
        const TrainingPattern& pattern = network.pattern(static_cast<int>(index));
        errors.pattern_worst[index] = 0.0;
        if (!network.set_inputs(pattern.inputs))
            continue;
        network.evaluate();
        network.get_outputs(errors.outputs);
        const std::size_t outputs = std::min(errors.outputs.size(), pattern.expected_outputs.size());
        for (std::size_t k = 0; k < outputs; ++k) {
            double difference = std::fabs(pattern.expected_outputs[k] - errors.outputs[k]);
            if (std::isnan(difference))
                difference = std::numeric_limits<double>::infinity();
            (apart ? held_out_squares : squares) += difference * difference;
            ++(apart ? held_out_differences : differences);
            if (k == 0 || difference > errors.pattern_worst[index]) {
                errors.pattern_worst[index] = difference;
                errors.worst_output[index] = static_cast<int>(k);
                errors.computed[index] = errors.outputs[k];
            }
        }
        if (apart) {
            errors.held_out_worst = std::max(errors.held_out_worst, errors.pattern_worst[index]);
        } else if (errors.worst_pattern < 0 || errors.pattern_worst[index] > errors.worst) {
            errors.worst = errors.pattern_worst[index];
            errors.worst_pattern = static_cast<int>(index);
        }
    }
    errors.mean_squared = differences > 0 ? squares / static_cast<double>(differences) : 0.0;
    errors.held_out_mean_squared =
        held_out_differences > 0 ? held_out_squares / static_cast<double>(held_out_differences) : 0.0;
}

void rank_worst_patterns(PatternErrors& errors, int count)
{
    const std::size_t first = std::min(errors.order.size(), static_cast<std::size_t>(std::max(count, 0)));
    std::partial_sort(errors.order.begin(), errors.order.begin() + static_cast<std::ptrdiff_t>(first),
                      errors.order.end(), [&errors](int a, int b) {
                          const double left = errors.pattern_worst[static_cast<std::size_t>(a)];
                          const double right = errors.pattern_worst[static_cast<std::size_t>(b)];
                          return left > right || (left == right && a < b);
                      });
}

LearningCurve::LearningCurve(std::size_t max_points) : most(std::max<std::size_t>(max_points, 2))
{
    kept.reserve(most + 1);
}

void LearningCurve::add(const CurvePoint& point)
{
    const int pass = point.pass;
    if (!kept.empty() && pass < kept.back().pass)
        clear();
    if (!kept.empty() && pass == kept.back().pass)
        return;
    if (!kept.empty() && kept.back().pass % pass_step != 0)
        kept.pop_back();
    kept.push_back(point);
    if (kept.size() <= most || pass % pass_step != 0)
        return;
    pass_step *= 2;
    const int step = pass_step;
    kept.erase(std::remove_if(kept.begin(), kept.end(), [step](const CurvePoint& point) { return point.pass % step != 0; }),
               kept.end());
}

void LearningCurve::clear()
{
    kept.clear();
    pass_step = 1;
}
