// The lab's session, which net_lab and the page share: a network loaded from files with its
// training records, trained between frames at the speed step chosen, its patterns' errors,
// its learning curve and the rates. Each front end adds its drawing, its keys and its maps.
#ifndef LAB_SESSION_LAB_SESSION_H
#define LAB_SESSION_LAB_SESSION_H

#include "engine/network.h"
#include "engine/training_run.h"
#include "lab_session/curve_scale.h"
#include "lab_session/frame_pace.h"
#include "lab_session/frame_training.h"
#include "lab_session/network_loading.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class LabSession {
public:
    // The network trained, made from the one loaded: net_lab's draws itself, the page's is a
    // plain copy (no function given). A shared_ptr destroys it as the type it was made as,
    // which a Network's destructor, not virtual, would not.
    using TrainedCopy = std::function<std::shared_ptr<Network>(const Network&)>;
    explicit LabSession(TrainedCopy copy = nullptr);

    // Loads the network file and its training records (from `files.training_path`, or the
    // network file when it is empty), the missing weights drawn from `seed`. What is wrong with
    // the files goes to `problems`, one line each. The held-out share stays, unless the
    // training records hold a share ("test_share:"): then that share and its "test_seed:".
    void load(const LabFiles& files, unsigned seed);
    // Back to the weights the files gave, paused, with the curve cleared and the rates restarted.
    void reset();
    // Holds the share of the patterns out of training (see TrainingRun), picked by the seed
    // of the load, and starts again as reset() does.
    void hold_out(double share);
    // Space: training starts, or pauses.
    void start_pause();
    void pause();
    // T: training learns the thresholds too, or stops learning them; reset() keeps the choice.
    void set_learn_thresholds(bool learn);
    // + and -: more or fewer passes per frame.
    void faster() { speed_step = faster_step(speed_step); }
    void slower() { speed_step = slower_step(speed_step); }
    int passes_per_frame() const { return passes_per_frame_steps[speed_step]; }

    // Makes at most `passes` passes while the budget of `seconds` of `clock` lasts, then
    // measures when the weights changed and judges a run that has ended. Returns the passes made.
    int train(int passes, double seconds, const SecondsClock& clock);
    // ".": one pass, while paused only.
    void one_pass(double seconds, const SecondsClock& clock);
    // A frame's training while training: the passes of the speed step within the budget.
    // True when the budget cut them short and training goes on: the session is at full speed.
    bool train_frame(double seconds, const SecondsClock& clock);
    // The errors of the current weights, on the curve; the maps follow.
    void measure();

    Network& network() { return *trained; }
    const Network& network() const { return *trained; }
    int passes() const { return stepper.run.passes_done(); }
    bool usable() const { return stepper.state != TrainingState::NoPatterns; }
    // The patterns, worst first; at most `count` of them are ordered.
    const std::vector<int>& worst_patterns(int count);
    // The network file's text as net_train -o and net_lab's S write it; false, with the
    // reason, when the file format cannot hold the network as it is.
    bool saved_text(std::string& text, std::string& reason) const;

    LabFiles files;
    unsigned seed = 0;                  // of the random completion of missing weights and of the held-out patterns
    long long drawn_weights = 0;        // weights the completion drew: those the file left out
    Network initial{nullptr};           // the network as loaded: reset() returns to it
    std::vector<std::string> problems;  // why the files cannot be trained on, and warnings
    TrainingStepper stepper;
    PatternErrors errors;
    LearningCurve curve{curve_points};
    double held_out_share = 0.0;
    int speed_step = starting_speed_step;  // index into passes_per_frame_steps
    bool maps_stale = true;                // the weights changed since the maps were evaluated
    FrameRates rates;

private:
    TrainedCopy copy_trained;
    std::shared_ptr<Network> trained;
};

#endif
