// The progress line a tool keeps on a terminal while it runs long, redrawn in place a few
// times per second: for net_train the passes made of the limit and the worst error so far.
#ifndef TOOL_SUPPORT_PROGRESS_LINE_H
#define TOOL_SUPPORT_PROGRESS_LINE_H

#include <iosfwd>
#include <string>

class ProgressLine {
public:
    static constexpr double quiet_start_seconds = 1.0;  // short runs show nothing
    static constexpr double redraw_seconds = 0.25;

    // A disabled line (stderr not a terminal, or --quiet) never writes anything.
    ProgressLine(std::ostream& out, bool enabled) : out(out), enabled(enabled) {}

    // True when a line should be drawn at `seconds` since training began.
    bool due(double seconds) const;
    // Draws the line in place of the previous one; `seconds` as given to due().
    void show(double seconds, int passes_done, int pass_limit, double worst_error);
    // Draws a line of the caller's own text the same way.
    void show_text(double seconds, const std::string& line);
    // Removes a line that was drawn, so that the report starts on a clean line.
    void clear();

    static std::string text(int passes_done, int pass_limit, double worst_error);

private:
    std::ostream& out;
    bool enabled;
    bool drawn = false;
    double last_drawn_seconds = 0.0;
};

#endif
