// Training between frames: the engine's training run a few passes at a time, held to the
// time a frame can spare by a clock handed in, and the state the screen shows.
#ifndef LAB_SESSION_FRAME_TRAINING_H
#define LAB_SESSION_FRAME_TRAINING_H

#include "engine/training_run.h"

#include <functional>

class Network;

// Seconds since some fixed moment; the program hands in a steady clock, tests a fake one.
using SecondsClock = std::function<double()>;

// NotNumbers: a run that ended with outputs that are not numbers, which the engine's check
// lets pass; such a run is neither converged nor judged.
enum class TrainingState { Paused, Training, Converged, IterationLimit, NoPatterns, NotNumbers };

// The words the screen shows for a state.
const char* state_name(TrainingState state);

struct TrainingStepper {
    TrainingRun run{0};  // passes made since the weights were set, and the file's limit
    TrainingState state = TrainingState::Paused;
    double seconds_per_pass = 0.0;  // measured on the last chunk; 0 before any
};

// Shares of the patterns held out of training that net_lab's T and the page's control offer,
// none first.
constexpr double held_out_share_steps[] = {0.0, 0.1, 0.2, 0.3, 0.5};

// A stepper for `network`, whose patterns are usable when `usable` holds; paused at 0 passes.
// Its run holds the share `held_out_share` of the patterns, picked by `seed`, out of training.
TrainingStepper start_stepper(const Network& network, bool usable, double held_out_share = 0.0, unsigned seed = 0);

// Runs at most `passes` training passes on the network's patterns, in chunks, stopping early
// when the run ends (Converged, IterationLimit) or when `budget` seconds of `clock` have gone
// since the call began. Returns the passes made. Nothing runs in a finished state.
int run_passes(Network& network, TrainingStepper& stepper, int passes, const SecondsClock& clock,
               double budget);

// Turns a run that has ended (Converged, IterationLimit) into NotNumbers when `errors`, measured
// on the network's current weights, hold outputs that are not numbers, as net_train judges it.
void judge_outputs(TrainingStepper& stepper, const PatternErrors& errors);

#endif
