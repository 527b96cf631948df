// The lab's session: loading, frame training and measures, driven by a front end.
#include "lab_session/lab_session.h"

#include "lab_session/lab_files.h"
#include "lab_session/saved_network.h"

#include <utility>

void LabSession::load(const std::string& network_path, const std::string& training_path, unsigned seed)
{
    LoadedNetwork loaded = load_lab_files({network_path, training_path}, seed);
    listed_problems = std::move(loaded.problems);
    completed_weights = loaded.drawn_weights;
    loaded_seed = seed;
    initial = std::move(loaded.network);
    trained = initial;
    stepper = start_stepper(initial, loaded.usable, share, seed);
    grid.prepare(trained);
    learning_curve.clear();
    measure();
}

void LabSession::reset()
{
    const bool usable = stepper.state != TrainingState::NoPatterns;
    trained = initial;
    stepper = start_stepper(initial, usable, share, loaded_seed);
    learning_curve.clear();
    measure();
}

void LabSession::hold_out(double held_out_share)
{
    share = held_out_share;
    reset();
}

void LabSession::set_learn_thresholds(bool learn)
{
    initial.learn_thresholds = learn;
    trained.learn_thresholds = learn;
}

void LabSession::start_pause()
{
    if (stepper.state == TrainingState::Paused)
        stepper.state = TrainingState::Training;
    else if (stepper.state == TrainingState::Training)
        stepper.state = TrainingState::Paused;
}

void LabSession::pause()
{
    if (stepper.state == TrainingState::Training)
        stepper.state = TrainingState::Paused;
}

int LabSession::train(int passes, double seconds, const SecondsClock& clock)
{
    const int made = run_passes(trained, stepper, passes, clock, seconds);
    if (made > 0)
        measure();
    judge_outputs(stepper, pattern_errors);
    return made;
}

void LabSession::measure()
{
    grid_stale = true;
    measure_pattern_errors(trained, pattern_errors, stepper.run);
    learning_curve.add(stepper.run.passes_done(), pattern_errors);
}

const std::vector<int>& LabSession::worst_patterns(int count)
{
    rank_worst_patterns(pattern_errors, count);
    return pattern_errors.order;
}

const InputGrid& LabSession::maps()
{
    if (grid_stale && grid.active())
        grid.evaluate(trained);
    grid_stale = false;
    return grid;
}

bool LabSession::saved_text(std::string& text, std::string& reason) const
{
    return saved_network_text(trained, text, reason);
}
