// The speed steps, the frame's training budget and the rate window.
#include "lab_session/frame_pace.h"

#include <algorithm>

int faster_step(int step)
{
    return std::min(step + 1, speed_step_count - 1);
}

int slower_step(int step)
{
    return std::max(step - 1, 0);
}

double training_budget(double drawing_seconds)
{
    return std::clamp(frame_seconds - drawing_seconds, least_training_seconds, most_training_seconds);
}

bool drawing_due(bool full_speed, double seconds_since_drawn, double drawing_seconds)
{
    return !full_speed || drawing_seconds <= most_drawing_share * seconds_since_drawn;
}

void FrameRates::take(double now, int passes)
{
    ++frames;
    const double seconds = now - since;
    if (seconds < rate_window)
        return;
    passes_per_second = std::max(0, passes - since_passes) / seconds;
    frames_per_second = frames / seconds;
    since = now;
    since_passes = passes;
    frames = 0;
}

void FrameRates::restart()
{
    passes_per_second = 0.0;
    since_passes = 0;
}
