// Chunked training. A training run limited to k passes makes exactly the first k passes of a
// longer run, each after its check, and the next run begins with the check the longer run
// would make next: any sequence of chunks adds up to the same weights.
#include "net_lab/training_stepper.h"

#include "engine/network.h"

#include <algorithm>

namespace {

// The first chunk of a call is small, so an unknown pass time cannot overrun the budget much.
constexpr int first_chunk = 1;

}  // namespace

const char* state_name(TrainingState state)
{
    switch (state) {
    case TrainingState::Paused: return "paused";
    case TrainingState::Training: return "training";
    case TrainingState::Converged: return "converged";
    case TrainingState::IterationLimit: return "iteration limit";
    case TrainingState::NoPatterns: return "no usable patterns";
    }
    return "";
}

TrainingStepper start_stepper(const Network& network, bool usable)
{
    TrainingStepper stepper;
    stepper.pass_limit = network.max_iterations;
    stepper.state = usable ? TrainingState::Paused : TrainingState::NoPatterns;
    return stepper;
}

int run_passes(Network& network, TrainingStepper& stepper, int passes, const SecondsClock& clock,
               double budget)
{
    if (stepper.state == TrainingState::Converged || stepper.state == TrainingState::IterationLimit ||
        stepper.state == TrainingState::NoPatterns)
        return 0;
    const double start = clock();
    const int limit = network.max_iterations;
    int made = 0;
    int chunk = first_chunk;
    while (made < passes) {
        const int left = stepper.pass_limit - stepper.passes_done;
        if (left <= 0) {
            stepper.state = TrainingState::IterationLimit;
            break;
        }
        const int size = std::min({chunk, passes - made, left});
        const double chunk_start = clock();
        network.max_iterations = size;
        const int result = network.train(nullptr);
        network.max_iterations = limit;
        if (result == NoUsablePatterns) {
            stepper.state = TrainingState::NoPatterns;
            break;
        }
        made += network.iterations_done;
        stepper.passes_done += network.iterations_done;
        const double now = clock();
        if (network.iterations_done > 0)
            stepper.seconds_per_pass = (now - chunk_start) / network.iterations_done;
        if (result == Converged) {
            stepper.state = TrainingState::Converged;
            break;
        }
        const double left_seconds = budget - (now - start);
        if (left_seconds <= 0.0)
            break;
        // Grow towards what the rest of the budget holds, at most eightfold per chunk.
        const double fits = stepper.seconds_per_pass > 0.0 ? left_seconds / stepper.seconds_per_pass : 8.0 * size;
        chunk = static_cast<int>(std::clamp(fits, 1.0, 8.0 * size));
    }
    const bool unfinished = stepper.state == TrainingState::Training || stepper.state == TrainingState::Paused;
    if (unfinished && stepper.passes_done >= stepper.pass_limit)
        stepper.state = TrainingState::IterationLimit;
    network.iterations_done = stepper.passes_done;
    return made;
}
