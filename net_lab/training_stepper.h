// Training in steps between frames: a few passes of the engine's own training at a time, so
// the weights after n passes are those of one training run limited to n passes.
#ifndef NET_LAB_TRAINING_STEPPER_H
#define NET_LAB_TRAINING_STEPPER_H

#include <functional>

class Network;

// Seconds since some fixed moment; the program hands in a steady clock, tests a fake one.
using SecondsClock = std::function<double()>;

enum class TrainingState { Paused, Training, Converged, IterationLimit, NoPatterns };

// The words the screen shows for a state.
const char* state_name(TrainingState state);

struct TrainingStepper {
    int pass_limit = 0;    // the network's iteration limit as the file gave it
    int passes_done = 0;   // training passes made since the weights were set
    TrainingState state = TrainingState::Paused;
    double seconds_per_pass = 0.0;  // measured on the last chunk; 0 before any
};

// A stepper for `network`, whose patterns are usable when `usable` holds; paused at 0 passes.
TrainingStepper start_stepper(const Network& network, bool usable);

// Runs at most `passes` training passes on the network's patterns, in chunks, stopping early
// when the check before a pass finds every output within the error limit (Converged), when
// the pass limit is reached (IterationLimit), or when `budget` seconds of `clock` have gone
// since the call began. Returns the passes made. Nothing runs in a finished state.
int run_passes(Network& network, TrainingStepper& stepper, int passes, const SecondsClock& clock,
               double budget);

#endif
