// Training between frames: chunks that grow towards what is left of the frame's budget.
#include "lab_session/frame_training.h"

#include "engine/network.h"

#include <algorithm>

namespace {

// The first chunk of a call is small, so an unknown pass time cannot overrun the budget much.
constexpr int first_chunk = 1;

TrainingState finished_state(int result)
{
    switch (result) {
    case Converged: return TrainingState::Converged;
    case NoUsablePatterns: return TrainingState::NoPatterns;
    default: return TrainingState::IterationLimit;
    }
}

}  // namespace

const char* state_name(TrainingState state)
{
    switch (state) {
    case TrainingState::Paused: return "paused";
    case TrainingState::Training: return "training";
    case TrainingState::Converged: return "converged";
    case TrainingState::IterationLimit: return "iteration limit";
    case TrainingState::NoPatterns: return "no usable patterns";
    case TrainingState::NotNumbers: return "outputs are not numbers";
    }
    return "";
}

TrainingStepper start_stepper(const Network& network, bool usable, double held_out_share, unsigned seed)
{
    TrainingStepper stepper;
    stepper.run = TrainingRun(network.max_iterations, network, held_out_share, seed);
    stepper.state = usable ? TrainingState::Paused : TrainingState::NoPatterns;
    return stepper;
}

int run_passes(Network& network, TrainingStepper& stepper, int passes, const SecondsClock& clock,
               double budget)
{
    if (stepper.state != TrainingState::Paused && stepper.state != TrainingState::Training)
        return 0;
    const double start = clock();
    int made = 0;
    int chunk = first_chunk;
    while (made < passes) {
        const int size = std::min(chunk, passes - made);
        const double chunk_start = clock();
        const TrainingStep step = stepper.run.step(network, size);
        made += step.passes;
        const double now = clock();
        if (step.passes > 0)
            stepper.seconds_per_pass = (now - chunk_start) / step.passes;
        if (step.finished) {
            stepper.state = finished_state(step.result);
            break;
        }
        const double left_seconds = budget - (now - start);
        if (left_seconds <= 0.0)
            break;
        // Grow towards what the rest of the budget holds, at most eightfold per chunk.
        const double fits = stepper.seconds_per_pass > 0.0 ? left_seconds / stepper.seconds_per_pass : 8.0 * size;
        chunk = static_cast<int>(std::clamp(fits, 1.0, 8.0 * size));
    }
    return made;
}

void judge_outputs(TrainingStepper& stepper, const PatternErrors& errors)
{
    const bool ended = stepper.state == TrainingState::Converged || stepper.state == TrainingState::IterationLimit;
    if (ended && !outputs_are_numbers(errors))
        stepper.state = TrainingState::NotNumbers;
}
