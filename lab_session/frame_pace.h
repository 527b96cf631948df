// How fast the lab trains and how it says so: the passes per frame that + and - step through,
// the time a frame may spend training, and the rates averaged over a window of time. net_lab
// and the page both take them from here.
#ifndef LAB_SESSION_FRAME_PACE_H
#define LAB_SESSION_FRAME_PACE_H

#include <cstddef>
#include <iterator>

// Passes per frame that + and - step through; training starts at the seventh, 100.
constexpr int passes_per_frame_steps[] = {1, 2, 5, 10, 20, 50, 100, 200, 500, 1000, 2000, 5000, 10000, 20000, 50000};
constexpr int speed_step_count = static_cast<int>(std::size(passes_per_frame_steps));
constexpr int starting_speed_step = 6;
// The step after `step` towards more or fewer passes, staying at either end.
int faster_step(int step);
int slower_step(int step);

// Training time a frame may spend: what is left of a frame at 30 frames a second once the
// drawing is done, never more than the most nor less than the least, so that the program
// keeps answering its keys and training still moves on under a slow drawing.
constexpr double frame_seconds = 1.0 / 30;
constexpr double most_training_seconds = 0.02;
constexpr double least_training_seconds = 0.002;
double training_budget(double drawing_seconds);

// At full speed, when the budget cuts the speed step's passes short, a front end may train
// between frames too and draws only while its drawing has taken at most this share of the
// time since the last drawing; training keeps the rest. Below full speed every frame draws.
constexpr double most_drawing_share = 0.1;
bool drawing_due(bool full_speed, double seconds_since_drawn, double drawing_seconds);

// Passes and frames per second, taken once a window of `rate_window` seconds has gone by.
constexpr double rate_window = 0.5;
struct FrameRates {
    // Counts a frame drawn at `now` (seconds) with `passes` made since the weights were set.
    void take(double now, int passes);
    // The weights were set again: the passes count from 0 and the last pass rate is void.
    void restart();

    double passes_per_second = 0.0;
    double frames_per_second = 0.0;
    double since = 0.0;  // clock time, passes and frames when the rates were last taken
    int since_passes = 0;
    int frames = 0;
};

#endif
