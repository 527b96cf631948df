// Drawing the progress line: a carriage return, the text, and an erase to the end of the line.
#include "tool_support/progress_line.h"

#include "tool_support/number_text.h"

#include <ostream>

bool ProgressLine::due(double seconds) const
{
    if (!enabled || seconds < quiet_start_seconds)
        return false;
    return !drawn || seconds - last_drawn_seconds >= redraw_seconds;
}

void ProgressLine::show(double seconds, int passes_done, int pass_limit, double worst_error)
{
    show_text(seconds, text(passes_done, pass_limit, worst_error));
}

void ProgressLine::show_text(double seconds, const std::string& line)
{
    if (!enabled)
        return;
    out << '\r' << line << "\x1b[K" << std::flush;
    drawn = true;
    last_drawn_seconds = seconds;
}

void ProgressLine::clear()
{
    if (!drawn)
        return;
    out << "\r\x1b[K" << std::flush;
    drawn = false;
}

std::string ProgressLine::text(int passes_done, int pass_limit, double worst_error)
{
    return "net_train: training: pass " + std::to_string(passes_done) + " of " + std::to_string(pass_limit) +
           ", worst error " + short_text(worst_error);
}
