// net_lab's picture: the network view with its hidden neurons' maps, the output map with the
// patterns or the table of the worst patterns, the learning curve, and the figures.
#include "net_lab/lab_screen.h"

#include "net_lab/lab.h"
#include "net_lab/pattern_table.h"
#include "palette/palette.h"
#include "program_shell/screens.h"

#include <allegro.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

constexpr int right_x = network_area_width + 8;
constexpr int map_x = right_x + 14;
constexpr int map_y = 18;
constexpr int table_rows = 30;
constexpr int status_y = 330;
constexpr int line_height = 11;
constexpr int curve_x = 48;
constexpr int curve_y = 408;
constexpr int curve_width = network_area_width - curve_x - 4;
constexpr int curve_height = 176;
constexpr int characters_across_right = (lab_screen_width - right_x) / 8;
constexpr int characters_across_left = (network_area_width - 4) / 8;
constexpr int problem_indent = 2;

// Writes at most `characters` characters of `text`, keeping its end, where a file name is.
void text_tail(BITMAP* target, const std::string& text, int x, int y, int color, int characters)
{
    const std::size_t keep = static_cast<std::size_t>(characters);
    const char* shown = text.size() > keep ? text.c_str() + (text.size() - keep) : text.c_str();
    textout_ex(target, font, shown, x, y, color, -1);
}

// Writes at most `characters` characters of `text` from its start.
void text_head(BITMAP* target, const char* text, int x, int y, int color, int characters)
{
    char line[128];
    std::snprintf(line, sizeof line, "%.*s", std::min(characters, 127), text);
    textout_ex(target, font, line, x, y, color, -1);
}

// The view is laid out for the network area; clipping keeps its bars to the right edge in it.
void draw_network(Lab& lab, BITMAP* buffer)
{
    set_clip_rect(buffer, 0, 0, network_area_width - 1, network_area_height - 1);
    lab.view().draw(buffer, -1);
    lab.maps.draw_hidden_maps(buffer, lab.view(), map_ramp_base);
    set_clip_rect(buffer, 0, 0, buffer->w - 1, buffer->h - 1);
}

void draw_output_map(const Lab& lab, BITMAP* buffer)
{
    textout_ex(buffer, font, "output 1 over input 1 (x), 2 (y)", right_x, 4, label_color, -1);
    lab.maps.draw_output_map(buffer, map_x, map_y);
    rect(buffer, map_x - 1, map_y - 1, map_x + output_map_size, map_y + output_map_size, frame_color);
    draw_pattern_dots(buffer, lab.view(), map_x, map_y, map_ramp_base, dot_ring_color);
    const int legend_y = map_y + output_map_size + 6;
    for (int k = 0; k < output_map_size; ++k)
        vline(buffer, map_x + k, legend_y, legend_y + 5, map_ramp_index(k / (output_map_size - 1.0), map_ramp_base));
    textout_ex(buffer, font, "0", map_x, legend_y + 9, label_color, -1);
    textout_right_ex(buffer, font, "1", map_x + output_map_size, legend_y + 9, label_color, -1);
}

// How much of `text` goes in a row of `width` characters: all of it when it fits, else up to
// its last space in the row, or the whole row when there is none.
std::size_t row_length(const char* text, std::size_t width)
{
    const std::size_t length = std::strlen(text);
    if (length <= width)
        return length;
    for (std::size_t end = width; end > 0; --end) {
        if (text[end - 1] == ' ')
            return end;
    }
    return width;
}

// Draws `text` in rows of at most `characters` characters from (x, y), the rows after the
// first indented, and returns the rows it takes; draws nothing with a null buffer, and stops
// after `rows` rows.
int draw_wrapped(BITMAP* buffer, const std::string& text, int x, int y, int characters, int rows, int color)
{
    const char* rest = text.c_str();
    int row = 0;
    for (; *rest != '\0' && row < rows; ++row) {
        const int indent = row == 0 ? 0 : problem_indent;
        const std::size_t width = static_cast<std::size_t>(characters - indent);
        const std::size_t taken = row_length(rest, width);
        if (buffer != nullptr)
            text_head(buffer, rest, x + 8 * indent, y + row * line_height, color, static_cast<int>(taken));
        rest += taken;
    }
    return row;
}

// One problem of the list below the network, with its first row at `y`.
int draw_problem(BITMAP* buffer, const std::string& problem, int y, int rows)
{
    return draw_wrapped(buffer, problem, 4, y, characters_across_left, rows, error_color);
}

// Every problem whole, in file order; the last row counts those that do not fit.
void draw_problems(const Lab& lab, BITMAP* buffer)
{
    const int top = curve_y - 14;
    textout_ex(buffer, font, "Cannot train on this file:", 4, top, error_color, -1);
    const int rows = (lab_screen_height - top) / line_height - 1;
    const std::size_t count = lab.problems.size();
    int used = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const int reserved = i + 1 < count ? 1 : 0;
        const int needed = draw_problem(nullptr, lab.problems[i], 0, rows);
        // A first problem longer than the whole list shows its start.
        if (used > 0 && used + needed + reserved > rows) {
            const std::string more = "... " + std::to_string(count - i) + " more";
            textout_ex(buffer, font, more.c_str(), 4, top + (used + 1) * line_height, error_color, -1);
            return;
        }
        used += draw_problem(buffer, lab.problems[i], top + (used + 1) * line_height, rows - reserved - used);
    }
}

void draw_curve_area(const Lab& lab, BITMAP* buffer)
{
    const int legend_y = curve_y - 14;
    textout_ex(buffer, font, "worst error", curve_x, legend_y, worst_color, -1);
    textout_ex(buffer, font, "mean squared", curve_x + 104, legend_y, mean_squared_color, -1);
    textout_ex(buffer, font, "error limit", curve_x + 216, legend_y, limit_color, -1);
    textout_ex(buffer, font, "passes", curve_x + 320, legend_y, label_color, -1);
    // The held-out errors' lines in the status, drawn in their colours, are their legend.
    const bool held_out = !lab.stepper.run.held_out().empty();
    draw_curve(buffer, curve_x, curve_y, curve_width, curve_height, lab.curve, lab.view().error_limit, held_out,
               {worst_color, mean_squared_color, held_out_worst_color, held_out_mean_squared_color, limit_color,
                frame_color, label_color});
}

void draw_status(const Lab& lab, BITMAP* buffer)
{
    const TrainingStepper& stepper = lab.stepper;
    char lines[10][96];
    std::snprintf(lines[0], sizeof lines[0], "passes: %d of %d", stepper.run.passes_done(), stepper.run.pass_limit());
    std::snprintf(lines[1], sizeof lines[1], "state: %s", state_name(stepper.state));
    std::snprintf(lines[2], sizeof lines[2], "passes/s: %.0f  frames/s: %.0f", lab.rates.passes_per_second,
                  lab.rates.frames_per_second);
    std::snprintf(lines[3], sizeof lines[3], "passes per frame: %d (+ -)", passes_per_frame_steps[lab.speed_step]);
    std::snprintf(lines[4], sizeof lines[4], "worst error: %.6f", lab.errors.worst);
    std::snprintf(lines[5], sizeof lines[5], "mean squared: %.6f", lab.errors.mean_squared);
    std::snprintf(lines[6], sizeof lines[6], "error limit: %g", lab.view().error_limit);
    if (lab.drawn_weights > 0)
        std::snprintf(lines[7], sizeof lines[7], "seed: %u (%lld weights)", lab.seed, lab.drawn_weights);
    else
        std::snprintf(lines[7], sizeof lines[7], "all weights from the file");
    std::snprintf(lines[8], sizeof lines[8], "thresholds: %s (T)", lab.view().learn_thresholds ? "learned" : "fixed");
    std::snprintf(lines[9], sizeof lines[9], "S saves %s; F1 keys", saved_file_name);
    // Shown only while patterns are held out (H), each in the colour of its curve.
    char held_out[3][96];
    const PatternErrors& errors = lab.errors;
    std::snprintf(held_out[0], sizeof held_out[0], "held out (H): %d of %d patterns", errors.held_out_patterns,
                  lab.view().pattern_count());
    std::snprintf(held_out[1], sizeof held_out[1], "held-out worst: %.6f", errors.held_out_worst);
    std::snprintf(held_out[2], sizeof held_out[2], "held-out mean squared: %.6f", errors.held_out_mean_squared);
    const int held_out_colors[] = {info_color, held_out_worst_color, held_out_mean_squared_color};
    int y = status_y;
    text_tail(buffer, lab.files.network_path, right_x, y, label_color, characters_across_right);
    if (!lab.files.training_path.empty()) {
        y += line_height;
        text_tail(buffer, "+ " + lab.files.training_path, right_x, y, label_color, characters_across_right);
    }
    for (const char* text : lines) {
        y += line_height;
        textout_ex(buffer, font, text, right_x, y, info_color, -1);
    }
    if (!lab.stepper.run.held_out().empty()) {
        for (int line = 0; line < 3; ++line) {
            y += line_height;
            textout_ex(buffer, font, held_out[line], right_x, y, held_out_colors[line], -1);
        }
    }
    // A refusal names what the file format cannot hold, in as many rows as the screen has left.
    const int message_y = y + line_height + 4;
    draw_wrapped(buffer, lab.message, right_x, message_y, characters_across_right,
                 (lab_screen_height - message_y) / line_height,
                 lab.message.compare(0, 5, "saved") == 0 ? info_color : error_color);
}

}  // namespace

void set_lab_colors()
{
    set_map_ramp(map_ramp_base);
    set_rgb(dot_ring_color, 63, 63, 63);
    set_rgb(worst_color, 63, 20, 20);
    set_rgb(mean_squared_color, 20, 55, 20);
    set_rgb(held_out_worst_color, 63, 40, 60);
    set_rgb(held_out_mean_squared_color, 20, 50, 63);
    set_rgb(limit_color, 60, 55, 10);
    set_rgb(frame_color, 30, 30, 30);
    set_rgb(label_color, 45, 45, 45);
}

void draw_lab(Lab& lab, BITMAP* buffer)
{
    if (lab.maps.active()) {
        if (lab.maps_stale)
            lab.maps.evaluate(lab.view());
        lab.maps_stale = false;
        draw_output_map(lab, buffer);
    } else if (lab.view().pattern_count() > 0) {
        draw_pattern_table(buffer, right_x, 4, table_rows, lab.view(), lab.errors, info_color, label_color);
    }
    // The view shows the network answering its worst pattern.
    if (lab.errors.worst_pattern >= 0 && lab.view().set_inputs(lab.view().pattern(lab.errors.worst_pattern).inputs))
        lab.view().evaluate();
    draw_network(lab, buffer);
    if (lab.errors.worst_pattern >= 0) {
        char shown[64];
        std::snprintf(shown, sizeof shown, "inputs of pattern %d, the worst", lab.errors.worst_pattern + 1);
        textout_ex(buffer, font, shown, 4, network_area_height + 2, label_color, -1);
    }
    if (lab.problems.empty() || lab.stepper.state != TrainingState::NoPatterns)
        draw_curve_area(lab, buffer);
    else
        draw_problems(lab, buffer);
    draw_status(lab, buffer);
    if (lab.view().input_count() == 0)
        draw_error_panel(buffer, lab, lab_screens.error_panel);
}
