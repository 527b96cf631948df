/// @file
/// Training a few passes at a time and measuring how far a network is from its patterns:
/// what a front end needs to show progress, draw a learning curve or stop a run.
#ifndef ENGINE_TRAINING_RUN_H
#define ENGINE_TRAINING_RUN_H

// Siblings by their own names, so that the installed headers find each other too.
#include "export.h"
#include "network.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

/// Largest share of the patterns a run holds out of training.
constexpr double max_held_out_share = 0.9;

/// Patterns held out of `pattern_count` for `share`: round(share * pattern_count), the share
/// taken as at most max_held_out_share, at least one pattern left to train; 0 for a share of
/// 0 or less, not a number, or fewer than two patterns.
NC_API int held_out_count(int pattern_count, double share);

/// Sets `held_out` to one mark per pattern, 1 for the held_out_count(pattern_count, share)
/// patterns held out, or empties it when none is. They are the first places of a
/// Fisher-Yates shuffle of the indices drawn from RandomSource(seed), each draw two of its
/// 15-bit values: the same patterns on every platform.
NC_API void choose_held_out(int pattern_count, double share, std::uint32_t seed, std::vector<char>& held_out);

/// Sets `order` to the indices 0 to pattern_count - 1 (empty for fewer than 1) shuffled as
/// choose_held_out shuffles them, by the whole Fisher-Yates shuffle drawn front to back from
/// RandomSource(seed): the order in which a front end that shuffles its rows hands them to the
/// network, the same on every platform.
NC_API void shuffled_order(int pattern_count, std::uint32_t seed, std::vector<int>& order);

/// What one TrainingRun::step did.
struct TrainingStep {
    int passes = 0;               ///< training passes this step made
    bool finished = false;        ///< the run has ended; `result` says how
    int result = IterationLimit;  ///< a TrainResult value, meaningful once finished
};

/// A training run on the patterns a network holds, made in steps of a few passes. Each pass
/// is a check pass followed by a training pass, as in Network::train, and a step ends where
/// the next begins: any sequence of steps gives, pass for pass and bit for bit, the weights,
/// the result and the pass count of one Network::train(nullptr) call with the same limit.
/// After each step the network's iterations_done holds the passes of the whole run.
/// The run holds no pointer to the network: hand the same network to every step.
/// A run with held-out patterns trains, and checks for convergence, on the others only, in
/// their order; its steps then add up to one such run, not to a Network::train call.
class NC_API TrainingRun {
public:
    /// A run of at most `pass_limit` passes (usually the network's max_iterations), none made yet.
    explicit TrainingRun(int pass_limit) : limit(pass_limit) {}
    /// A run that holds out of training the patterns choose_held_out picks among those the
    /// network holds now, for `share` and `seed`; it keeps a copy of the others. A share of 0
    /// makes the run above.
    TrainingRun(int pass_limit, const Network& network, double share, std::uint32_t seed);
    /// The run a lesson asks for: the network's max_iterations passes, its held_out_share of
    /// the patterns held out as its held_out_seed picks them.
    explicit TrainingRun(const Network& network)
        : TrainingRun(network.max_iterations, network, network.held_out_share, network.held_out_seed) {}

    /// Makes at most `passes` more passes (none for 0 or fewer), fewer when the check before
    /// a pass finds every output within the error limit (Converged) or the pass limit is
    /// reached (IterationLimit, without a final check). Patterns that do not fit the network
    /// end the run with NoUsablePatterns and change nothing, iterations_done included.
    /// Nothing runs once the run has finished. Allocates nothing after the run's first step.
    TrainingStep step(Network& network, int passes);

    int passes_done() const { return done; }   ///< passes made by every step so far
    int pass_limit() const { return limit; }   ///< the limit the run was started with
    bool finished() const { return ended; }    ///< Converged, IterationLimit or NoUsablePatterns reached
    int result() const { return outcome; }     ///< a TrainResult value, meaningful once finished
    /// One mark per pattern of the network at the start, 1 when held out; empty without any.
    const std::vector<char>& held_out() const { return held_out_marks; }

private:
    int limit = 0;
    int done = 0;
    bool ended = false;
    int outcome = IterationLimit;
    std::vector<double> outputs;  // scratch of the neuron-by-neuron passes
    std::vector<char> held_out_marks;
    std::vector<TrainingPattern> training;  // the patterns trained on, when some are held out
};

/// How far a network is from each of its training patterns. A difference that is not a
/// number counts as the worst of all: as +infinity. Patterns that do not fit the network
/// count as 0 and add nothing to the mean. When a run holds patterns out, `worst`,
/// `mean_squared` and `worst_pattern` measure the patterns trained on, and the held-out
/// figures the others; the per-pattern rows cover every pattern.
struct PatternErrors {
    double worst = 0.0;         ///< largest |expected - computed| over every output of every pattern
    double mean_squared = 0.0;  ///< mean of (expected - computed)^2 over the same; 0 without patterns
    int worst_pattern = -1;     ///< the pattern that holds `worst`; -1 without patterns
    int held_out_patterns = 0;          ///< patterns held out of training
    double held_out_worst = 0.0;        ///< `worst` over the held-out patterns; 0 without any
    double held_out_mean_squared = 0.0; ///< `mean_squared` over the held-out patterns; 0 without any
    std::vector<double> pattern_worst;  ///< per pattern: its largest |expected - computed|
    std::vector<int> worst_output;      ///< per pattern: the output where that lies
    std::vector<double> computed;       ///< per pattern: the computed value of that output
    std::vector<int> order;             ///< pattern indices; rank_worst_patterns puts the worst first
    std::vector<double> outputs;        ///< room for one evaluation's outputs
};

/// True when every output computed in the measure of `errors` is a number. The training
/// check lets a difference that is not a number pass, so a run whose outputs stopped being
/// numbers can end Converged: front ends ask this before calling a network trained.
inline bool outputs_are_numbers(const PatternErrors& errors)
{
    return std::isfinite(errors.worst);
}

/// Evaluates every pattern the network holds and measures its errors into `errors`.
/// Changes nothing but the network's neuron outputs; allocates only when the pattern count
/// or the output count changed since the last call with the same `errors`.
NC_API void measure_pattern_errors(Network& network, PatternErrors& errors);
/// The same, the patterns that `run` holds out measured apart (TrainingRun::held_out).
NC_API void measure_pattern_errors(Network& network, PatternErrors& errors, const TrainingRun& run);

/// Puts the `count` worst patterns first in `errors.order`, worst first, ties by index.
NC_API void rank_worst_patterns(PatternErrors& errors, int count);

/// One point of a learning curve: the errors after `pass` training passes.
struct CurvePoint {
    int pass;             ///< training passes made before the errors were measured
    double worst;         ///< PatternErrors::worst then
    double mean_squared;  ///< PatternErrors::mean_squared then
    double held_out_worst = 0.0;         ///< PatternErrors::held_out_worst then
    double held_out_mean_squared = 0.0;  ///< PatternErrors::held_out_mean_squared then
};

/// A learning curve in bounded memory: points at every k-th pass, k starting at 1, and the
/// latest point whatever its pass. When more than `max_points` points at multiples of k
/// gather, k doubles and the points off the new multiples go, so a long run keeps its
/// whole shape. A caller that measures the errors only at multiples of step() loses nothing.
class NC_API LearningCurve {
public:
    /// Points of the curve a tool hands to its user (net_train's --curve, the Python module's
    /// curve=True): enough for any plot, and a bound on the cost of measuring the errors.
    static constexpr std::size_t exported_points = 2000;

    /// An empty curve of at most `max_points` + 1 points (at least 2 are kept).
    explicit LearningCurve(std::size_t max_points);

    /// Adds the errors after `pass` passes. A second point for the latest pass is dropped; a
    /// pass behind the latest starts the curve again (the weights were reset). The latest
    /// point, when off the multiples of step(), gives way to the next one. Allocates nothing.
    void add(int pass, double worst, double mean_squared) { add({pass, worst, mean_squared}); }
    /// The same with the errors measured, the held-out ones included.
    void add(int pass, const PatternErrors& errors)
    {
        add({pass, errors.worst, errors.mean_squared, errors.held_out_worst, errors.held_out_mean_squared});
    }
    /// The same with a whole point.
    void add(const CurvePoint& point);
    /// Removes every point; k is 1 again.
    void clear();

    const std::vector<CurvePoint>& points() const { return kept; }  ///< in pass order
    int step() const { return pass_step; }                          ///< k
    std::size_t max_points() const { return most; }                 ///< points at multiples of k kept at most

private:
    std::size_t most;
    int pass_step = 1;
    std::vector<CurvePoint> kept;
};

#endif
