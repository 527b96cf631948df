// The network drawn on the shared layout, with the value shades net_tester uses (the blue ramp
// below 0, the grey ramp from black to white from 0 on) inside mid-grey rings, so that every
// mark reads on a white page and on a dark one.
//   marks and texts  - colours, shades, short numbers, the canvas and a legend line
//   the network      - neurons placed (large layers thinned), lines, discs and labels
//   the legend       - shades, line colours and widths, thresholds, notes
#include "python/network_svg.h"

#include "engine/network.h"
#include "engine/neuron.h"
#include "network_view/network_layout.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <vector>

namespace {

constexpr int radius = 5;           // of a disc
constexpr int row_pitch = 15;       // least distance of two rows: three radii, as the layout keeps; a label's height
constexpr int font_size = 10;
constexpr int glyph_width = 6;      // of a monospace glyph: 0.6 of the font size
constexpr int label_gap = 3;        // from a disc to its label
constexpr int line_span = 90;       // from a column's labels to the next column's discs, where the lines run
constexpr int border = 6;           // kept free around the picture
constexpr int heading_baseline = 14;
constexpr int drawing_top = 20;     // where the layout's area starts, under the layer names
constexpr int legend_line = 16;     // from one legend line to the next
constexpr int sample_length = 16;   // of a line in the legend
constexpr int top_level = 63;       // palette components run from 0 to 63
constexpr int weight_steps = 4;     // line widths, from the smallest weights to the largest

struct Rgb {
    int r, g, b;
};
// Of a luminance near 0.2, which keeps a contrast near 4 on white and on #111 alike.
constexpr Rgb ink{122, 122, 122};
constexpr Rgb positive_ink{220, 110, 20};
constexpr Rgb negative_ink{0, 110, 230};
constexpr Rgb negative_top{0, 42, 63};  // the end of net_tester's blue ramp, in 6-bit components
constexpr std::array<const char*, weight_steps> line_widths{"0.5", "1", "1.75", "2.5"};

std::string color_text(Rgb color)
{
    return "rgb(" + std::to_string(color.r) + "," + std::to_string(color.g) + "," + std::to_string(color.b) + ")";
}

// The shade of a value from -1 to 1 as net_tester's palette holds it; NaN shows as 0.
std::string shade(double ratio)
{
    if (std::isnan(ratio))
        ratio = 0.0;
    ratio = std::clamp(ratio, -1.0, 1.0);
    auto eight_bit = [](int component) { return component * 255 / top_level; };
    const int level = static_cast<int>(top_level * std::abs(ratio));
    if (ratio < 0)
        return color_text({eight_bit(negative_top.r * level / top_level), eight_bit(negative_top.g * level / top_level),
                           eight_bit(negative_top.b * level / top_level)});
    return color_text({eight_bit(level), eight_bit(level), eight_bit(level)});
}

// Three significant digits, with a full stop whatever the locale.
std::string short_number(double value)
{
    char text[64];
    const std::to_chars_result end = std::to_chars(text, text + sizeof text, value, std::chars_format::general, 3);
    return std::string(text, end.ptr);
}

// Of an ASCII text, as every text of the picture is.
int text_width(const std::string& text)
{
    return static_cast<int>(text.size()) * glyph_width;
}

// "inputs (N)", "outputs (N)", and "hidden (N)" or, among several, "hidden 1 (N)".
std::string layer_name(int layer, int layers, int size)
{
    std::string name = "hidden";
    if (layer == 0)
        name = "inputs";
    else if (layer == layers - 1)
        name = "outputs";
    else if (layers > 3)
        name += " " + std::to_string(layer);
    return name + " (" + std::to_string(size) + ")";
}

// Where the weight's line goes: its sign first, then its width step; a weight that is not a
// number goes with the thinnest.
int line_class(double ratio)
{
    if (std::isnan(ratio))
        ratio = 0.0;
    const int step = std::min(weight_steps - 1, static_cast<int>(std::abs(ratio) * weight_steps));
    return (ratio < 0 ? weight_steps : 0) + step;
}

// The path of `segments` in the colour and width of `line_kind`; nothing without segments.
std::string line_path(int line_kind, const std::string& segments)
{
    if (segments.empty())
        return "";
    const Rgb color = line_kind < weight_steps ? positive_ink : negative_ink;
    return "<path fill=\"none\" stroke=\"" + color_text(color) + "\" stroke-width=\"" +
           line_widths[static_cast<std::size_t>(line_kind % weight_steps)] + "\" d=\"" + segments + "\"/>\n";
}

std::string segment(int x1, int y1, int x2, int y2)
{
    return "M" + std::to_string(x1) + " " + std::to_string(y1) + "L" + std::to_string(x2) + " " + std::to_string(y2);
}

// A disc, ringed by the stroke of its group or by `ring` when one is given.
std::string disc(int x, int y, const std::string& fill, const std::string& ring = "")
{
    return "<circle cx=\"" + std::to_string(x) + "\" cy=\"" + std::to_string(y) + "\" r=\"" + std::to_string(radius) +
           "\" fill=\"" + fill + (ring.empty() ? "" : "\" stroke=\"" + ring) + "\"/>\n";
}

std::string text_at(int x, int y, const std::string& text)
{
    return "<text x=\"" + std::to_string(x) + "\" y=\"" + std::to_string(y) + "\">" + text + "</text>\n";
}

// The picture's parts, each a group of the document that gives its members their colours: the
// lines, the neurons' discs, their labels with the layer names, and the legend; and the
// rightmost point a text reaches.
struct Canvas {
    std::string lines;
    std::string neurons;
    std::string labels;
    std::string legend;
    int right = 0;

    void write(std::string& group, int x, int baseline, const std::string& text)
    {
        group += text_at(x, baseline, text);
        right = std::max(right, x + text_width(text));
    }
};

// One line of the legend, filled from the left.
class LegendLine {
public:
    LegendLine(Canvas& canvas, int y) : canvas(canvas), y(y) {}

    void text(const std::string& text)
    {
        canvas.write(canvas.legend, x, y + font_size / 3, text);
        x += text_width(text) + label_gap * 2;
    }
    void value(double shown)
    {
        canvas.legend += disc(x + radius, y, shade(shown), color_text(ink));
        x += 2 * radius + label_gap;
        text(short_number(shown));
    }
    void line(int line_kind)
    {
        canvas.legend += line_path(line_kind, segment(x, y, x + sample_length, y));
        x += sample_length + label_gap;
    }

private:
    Canvas& canvas;
    int y;
    int x = border;
};

bool threshold_shown(const Network& network, int index)
{
    return index >= network.input_count() && network.neuron(index).threshold != NeuronParameters{}.threshold;
}

// The text beside a neuron: its output when shown, its threshold when not the default.
std::string neuron_label(const Network& network, int index, bool show_values)
{
    const Neuron& neuron = network.neuron(index);
    std::string label = show_values ? short_number(neuron.output) : "";
    if (threshold_shown(network, index))
        label += (label.empty() ? "t=" : " t=") + short_number(neuron.threshold);
    return label;
}

constexpr NeuronPosition not_drawn{-1, -1};

// Where each neuron is drawn, `shift` pixels left of its place in the layout, not_drawn for
// those a thinned layer leaves out; the layer names onto `canvas` and a note for each thinned layer.
std::vector<NeuronPosition> place_neurons(const Network& network, const NetworkLayout& layout, int rows, int shift,
                                          Canvas& canvas, std::vector<std::string>& notes)
{
    const std::vector<NeuronPosition>& positions = layout.positions;
    std::vector<NeuronPosition> drawn(static_cast<std::size_t>(network.neuron_count()), not_drawn);
    const int layers = network.layer_count();
    int first = 0;
    for (int layer = 0; layer < layers && first < static_cast<int>(positions.size()); ++layer) {
        const int size = network.layer_size(layer);
        const int end = std::min(first + size, static_cast<int>(positions.size()));
        const int x = positions[static_cast<std::size_t>(first)].x - shift;
        canvas.write(canvas.labels, x - radius, heading_baseline, layer_name(layer, layers, size));
        if (packed_closer_than(positions, first, end, row_pitch)) {
            // One neuron per row, the one laid out nearest it, as net_tester picks them.
            const int top = positions[static_cast<std::size_t>(first)].y;
            for (int row = 0; row < rows; ++row) {
                const int y = top + row * row_pitch;
                drawn[static_cast<std::size_t>(column_row_neuron(positions, first, end, y))] = {x, y + drawing_top};
            }
            notes.push_back(layer_name(layer, layers, size) + ": " + std::to_string(rows) + " of " +
                            std::to_string(size) + " neurons drawn, evenly spread");
        } else {
            for (int i = first; i < end; ++i)
                drawn[static_cast<std::size_t>(i)] = {x, positions[static_cast<std::size_t>(i)].y + drawing_top};
        }
        first = end;
    }
    return drawn;
}

// The connections between drawn neurons; only a note when they are too many. A line leaves its
// source `reach` pixels right of the centre, past the label, and ends at the left of its
// target's disc: no line crosses a label. The thinnest lines, most of them, go target by target,
// a path per sign and the signs taking turns, so that where many cross neither sign covers the
// other; the thicker ones follow, a path per sign and width.
void draw_lines(const Network& network, const std::vector<NeuronPosition>& drawn, int reach, Canvas& canvas,
                std::vector<std::string>& notes)
{
    std::array<std::string, 2 * weight_steps> lines;
    std::string paths;
    long long lines_drawn = 0;
    const int count = static_cast<int>(drawn.size());
    const double scale = network.max_weight();
    for (int i = network.input_count(); i < count; ++i) {
        const NeuronPosition to = drawn[static_cast<std::size_t>(i)];
        if (to.x < 0)
            continue;
        for (const Connection& connection : network.neuron(i).connections) {
            if (connection.source < 0 || connection.source >= count)
                continue;
            const NeuronPosition from = drawn[static_cast<std::size_t>(connection.source)];
            if (from.x < 0)
                continue;
            lines[static_cast<std::size_t>(line_class(weight_ratio(connection.weight, scale)))] +=
                segment(from.x + reach, from.y, to.x - radius, to.y);
            ++lines_drawn;
        }
        for (const int kind : {i % 2 == 0 ? 0 : weight_steps, i % 2 == 0 ? weight_steps : 0}) {
            paths += line_path(kind, lines[static_cast<std::size_t>(kind)]);
            lines[static_cast<std::size_t>(kind)].clear();
        }
    }
    if (lines_drawn > max_drawn_connections) {
        char note[160];
        write_drawing_note(network.connection_count(), false, false, note, sizeof note);
        notes.emplace_back(note);
        return;
    }
    for (int step = 1; step < weight_steps; ++step) {
        for (const int kind : {step, weight_steps + step})
            paths += line_path(kind, lines[static_cast<std::size_t>(kind)]);
    }
    canvas.lines += paths;
}

struct DrawingSize {
    int width = 2 * border;
    int height = 0;
};

// The layer names, lines, discs and labels, from drawing_top down; the size they take.
DrawingSize draw_network(const Network& network, bool show_values, Canvas& canvas, std::vector<std::string>& notes)
{
    DrawingSize size;
    const int layers = network.layer_count();
    const int count = network.neuron_count();
    int largest = 0;
    int drawn_count = 0;
    for (int layer = 0; layer < layers; ++layer) {
        largest = std::max(largest, network.layer_size(layer));
        drawn_count += std::min(max_drawn_rows, network.layer_size(layer));
    }
    if (drawn_count > max_drawn_neurons) {
        notes.push_back(std::to_string(count) + " neurons in " + std::to_string(layers) + " layers: too many to draw");
        return size;
    }
    if (layers == 0)
        return size;

    // Columns as far apart as the widest label and layer name need, and room for the lines.
    int label_room = 0;
    int name_room = 0;
    for (int i = 0; i < count; ++i)
        label_room = std::max(label_room, text_width(neuron_label(network, i, show_values)));
    for (int layer = 0; layer < layers; ++layer)
        name_room = std::max(name_room, text_width(layer_name(layer, layers, network.layer_size(layer))));
    const int label_reach = label_room > 0 ? radius + 2 * label_gap + label_room : radius;
    const int reach = std::max(label_reach, name_room - radius);  // of a column right of its centre
    const int dx = reach + radius + line_span;
    const int x_margin = border + reach;
    const int rows = std::min(largest, max_drawn_rows);
    const int y_margin = 2 * radius;  // the layout's, from its starting radius
    size.width = 2 * x_margin + (layers - 1) * dx;
    size.height = 2 * y_margin + std::max(0, rows - 1) * row_pitch;
    const NetworkLayout layout = lay_out_network(network, size.width, size.height, x_margin, radius);
    // The layout keeps the same margin on both sides; the left needs but the discs'.
    const int shift = reach - radius;
    size.width -= shift;

    const std::vector<NeuronPosition> drawn = place_neurons(network, layout, rows, shift, canvas, notes);
    draw_lines(network, drawn, label_reach, canvas, notes);
    for (int i = 0; i < static_cast<int>(drawn.size()); ++i) {
        const NeuronPosition centre = drawn[static_cast<std::size_t>(i)];
        if (centre.x < 0)
            continue;
        canvas.neurons += disc(centre.x, centre.y, show_values ? shade(network.neuron(i).output) : "none");
        const std::string label = neuron_label(network, i, show_values);
        if (!label.empty())
            canvas.write(canvas.labels, centre.x + radius + label_gap, centre.y + font_size / 3, label);
    }
    return size;
}

// What the shades, lines and marks mean, then the notes, a line each from `y` down; the y of
// the last line.
int draw_legend(const Network& network, bool show_values, const std::vector<std::string>& notes, int y,
                Canvas& canvas)
{
    LegendLine outputs(canvas, y);
    outputs.text(show_values ? "outputs" : "outputs: none shown until the network is evaluated");
    if (show_values) {
        for (const double value : {-1.0, -0.5, 0.0, 0.5, 1.0})
            outputs.value(value);
    }
    LegendLine weights(canvas, y += legend_line);
    weights.text("weights");
    weights.line(weight_steps - 1);
    weights.text("+");
    weights.line(2 * weight_steps - 1);
    weights.text("-");
    const double scale = network.max_weight();
    if (scale > 0) {
        weights.text("|w| up to");
        for (int step = 0; step < weight_steps; ++step) {
            weights.line(step);
            weights.text(short_number(scale * (step + 1) / weight_steps));
        }
    }
    bool thresholds = false;
    for (int i = 0; i < network.neuron_count() && !thresholds; ++i)
        thresholds = threshold_shown(network, i);
    if (thresholds)
        LegendLine(canvas, y += legend_line)
            .text("t=: the threshold, where not " + short_number(NeuronParameters{}.threshold));
    for (const std::string& note : notes)
        LegendLine(canvas, y += legend_line).text(note);
    return y;
}

}  // namespace

std::string network_svg(const Network& network, bool show_values)
{
    Canvas canvas;
    std::vector<std::string> notes;
    const DrawingSize drawing = draw_network(network, show_values, canvas, notes);
    const int last_line = draw_legend(network, show_values, notes, drawing_top + drawing.height + legend_line, canvas);
    const int width = std::max(drawing.width, canvas.right + border);
    const int height = last_line + legend_line / 2;
    std::string sizes;
    for (int layer = 0; layer < network.layer_count(); ++layer)
        sizes += (layer == 0 ? "" : "-") + std::to_string(network.layer_size(layer));
    return "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + std::to_string(width) + "\" height=\"" +
           std::to_string(height) + "\" viewBox=\"0 0 " + std::to_string(width) + " " + std::to_string(height) +
           "\" font-family=\"monospace\" font-size=\"" + std::to_string(font_size) + "\">\n<title>Network " + sizes +
           "</title>\n<g id=\"lines\">\n" + canvas.lines + "</g>\n<g id=\"neurons\" stroke=\"" + color_text(ink) +
           "\">\n" + canvas.neurons + "</g>\n<g id=\"labels\" fill=\"" + color_text(ink) + "\">\n" + canvas.labels +
           "</g>\n<g id=\"legend\" fill=\"" + color_text(ink) + "\">\n" + canvas.legend + "</g>\n</svg>\n";
}
