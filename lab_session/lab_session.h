// The lab view's state: a network loaded from files as net_lab loads it, trained between
// frames by net_lab's frame training on the engine's training run, its patterns' errors, its
// learning curve and the grid behind its input maps.
#ifndef LAB_SESSION_LAB_SESSION_H
#define LAB_SESSION_LAB_SESSION_H

#include "engine/network.h"
#include "engine/training_run.h"
#include "lab_session/curve_scale.h"
#include "lab_session/frame_training.h"
#include "lab_session/input_grid.h"

#include <string>
#include <vector>

class LabSession {
public:
    // Loads the network file and its training records (from `training_path`, or the network
    // file when it is empty), the missing weights drawn from `seed`. What is wrong with the
    // files goes to problems(), one line each.
    void load(const std::string& network_path, const std::string& training_path, unsigned seed);
    // Back to the weights the files gave, paused, with the curve cleared.
    void reset();
    // Holds the share of the patterns out of training (see TrainingRun), picked by the seed
    // of the load, and starts again as reset() does.
    void hold_out(double share);
    // Space: training starts, or pauses.
    void start_pause();
    void pause();
    // T: training learns the thresholds too, or stops learning them; reset() keeps the choice.
    void set_learn_thresholds(bool learn);
    // Makes at most `passes` passes while the budget of `seconds` of `clock` lasts, then
    // measures. Returns the passes made.
    int train(int passes, double seconds, const SecondsClock& clock);

    const std::vector<std::string>& problems() const { return listed_problems; }
    int passes() const { return stepper.run.passes_done(); }
    int max_iterations() const { return stepper.run.pass_limit(); }
    const char* state() const { return state_name(stepper.state); }
    const PatternErrors& errors() const { return pattern_errors; }
    const LearningCurve& curve() const { return learning_curve; }
    double seconds_per_pass() const { return stepper.seconds_per_pass; }
    const Network& network() const { return trained; }
    long long drawn_weights() const { return completed_weights; }
    unsigned seed() const { return loaded_seed; }
    double held_out_share() const { return share; }
    // The patterns, worst first; at most `count` of them are ordered.
    const std::vector<int>& worst_patterns(int count);
    // The maps' grid, evaluated for the current weights.
    const InputGrid& maps();
    // The network file's text as net_train -o and net_lab's S write it; false, with the
    // reason, when the file format cannot hold the network as it is.
    bool saved_text(std::string& text, std::string& reason) const;

private:
    void measure();

    Network initial{nullptr};
    Network trained{nullptr};
    TrainingStepper stepper;
    PatternErrors pattern_errors;
    LearningCurve learning_curve{curve_points};
    InputGrid grid;
    bool grid_stale = true;
    std::vector<std::string> listed_problems;
    long long completed_weights = 0;
    unsigned loaded_seed = 0;
    double share = 0.0;
};

#endif
