// The lab's session: loading, frame training and measures, driven by a front end.
#include "lab_session/lab_session.h"

#include "lab_session/saved_network.h"

#include <utility>

LabSession::LabSession(TrainedCopy copy)
    : copy_trained(std::move(copy)), trained(std::make_shared<Network>(nullptr))
{
}

void LabSession::load(const LabFiles& loaded_files, unsigned loaded_seed)
{
    files = loaded_files;
    seed = loaded_seed;
    LoadedNetwork loaded = load_lab_files(files, seed);
    problems = std::move(loaded.problems);
    drawn_weights = loaded.drawn_weights;
    initial = std::move(loaded.network);
    // A lesson that holds patterns out names its share and seed: net_train holds out the same.
    if (initial.held_out_share > 0.0) {
        held_out_share = initial.held_out_share;
        seed = initial.held_out_seed;
    }
    trained = copy_trained ? copy_trained(initial) : std::make_shared<Network>(initial);
    stepper = start_stepper(initial, loaded.usable, held_out_share, seed);
    curve.clear();
    rates.restart();
    measure();
}

void LabSession::reset()
{
    const bool was_usable = usable();
    *trained = initial;
    stepper = start_stepper(initial, was_usable, held_out_share, seed);
    curve.clear();
    rates.restart();
    measure();
}

void LabSession::hold_out(double share)
{
    held_out_share = share;
    reset();
}

void LabSession::set_learn_thresholds(bool learn)
{
    initial.learn_thresholds = learn;
    trained->learn_thresholds = learn;
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
    const int made = run_passes(*trained, stepper, passes, clock, seconds);
    if (made > 0)
        measure();
    judge_outputs(stepper, errors);
    return made;
}

void LabSession::one_pass(double seconds, const SecondsClock& clock)
{
    if (stepper.state == TrainingState::Paused)
        train(1, seconds, clock);
}

bool LabSession::train_frame(double seconds, const SecondsClock& clock)
{
    if (stepper.state != TrainingState::Training)
        return false;
    const int made = train(passes_per_frame(), seconds, clock);
    return made < passes_per_frame() && stepper.state == TrainingState::Training;
}

void LabSession::measure()
{
    maps_stale = true;
    measure_pattern_errors(*trained, errors, stepper.run);
    curve.add(stepper.run.passes_done(), errors);
}

const std::vector<int>& LabSession::worst_patterns(int count)
{
    rank_worst_patterns(errors, count);
    return errors.order;
}

bool LabSession::saved_text(std::string& text, std::string& reason) const
{
    return saved_network_text(*trained, text, reason);
}
