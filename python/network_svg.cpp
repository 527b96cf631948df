// The network drawn with net_tester's layout and colours: columns of neurons from the left
// margin, the blue ramp for negative values and the grey ramp for the others, on black.
#include "python/network_svg.h"

#include "engine/network.h"
#include "network_view/network_layout.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <vector>

namespace {

constexpr int screen_width = 800;
constexpr int screen_height = 600;
constexpr int text_size = 10;
constexpr int top_level = 63;  // palette components run from 0 to 63

struct Rgb {
    int r, g, b;
};
constexpr Rgb input_color{0, 14, 48};
constexpr Rgb computing_color{0, 45, 0};
constexpr Rgb text_color{2, 35, 10};
constexpr Rgb negative_top{0, 42, 63};

std::string color_text(Rgb color)
{
    auto eight_bit = [](int component) { return std::to_string(component * 255 / top_level); };
    return "rgb(" + eight_bit(color.r) + "," + eight_bit(color.g) + "," + eight_bit(color.b) + ")";
}

// The shade of a ratio from -1 to 1 as net_tester's palette holds it; NaN shows as 0.
std::string shade(double ratio)
{
    if (std::isnan(ratio))
        ratio = 0.0;
    ratio = std::clamp(ratio, -1.0, 1.0);
    if (ratio < 0) {
        const int level = static_cast<int>(-top_level * ratio);
        return color_text({negative_top.r * level / top_level, negative_top.g * level / top_level,
                           negative_top.b * level / top_level});
    }
    const int level = static_cast<int>(top_level * ratio);
    return color_text({level, level, level});
}

// Six decimals, as net_tester prints them, with a full stop whatever the locale.
std::string value_text(double value)
{
    char text[400];
    const std::to_chars_result end = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 6);
    return std::string(text, end.ptr);
}

void add_bar(std::string& svg, int x1, int x2, int y)
{
    svg += "<rect x=\"" + std::to_string(x1) + "\" y=\"" + std::to_string(y - 1) + "\" width=\"" +
           std::to_string(x2 - x1 + 1) + "\" height=\"3\" fill=\"" + color_text(input_color) + "\"/>\n";
}

void add_note(std::string& svg, const std::string& note)
{
    svg += "<text x=\"2\" y=\"" + std::to_string(screen_height - 4) + "\" fill=\"" + color_text(text_color) +
           "\">" + note + "</text>\n";
}

}  // namespace

std::string network_svg(const Network& network)
{
    std::string svg = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + std::to_string(screen_width) +
                      "\" height=\"" + std::to_string(screen_height) + "\" viewBox=\"0 0 " +
                      std::to_string(screen_width) + " " + std::to_string(screen_height) +
                      "\" font-family=\"monospace\" font-size=\"" + std::to_string(text_size) + "\">\n"
                      "<rect width=\"100%\" height=\"100%\" fill=\"black\"/>\n";
    const int count = network.neuron_count();
    if (count > max_drawn_neurons) {
        add_note(svg, std::to_string(count) + " neurons: too many to draw");
        return svg + "</svg>\n";
    }
    const NetworkLayout layout = lay_out_network(network, screen_width, screen_height);
    const std::vector<NeuronPosition>& positions = layout.positions;
    const int radius = layout.radius;
    const int inputs = network.input_count();
    const int first_output = count - network.output_count();
    const double scale = network.max_weight();

    long long connections = 0;
    for (int i = 0; i < count; ++i)
        connections += static_cast<long long>(network.neuron(i).connections.size());
    if (connections <= max_drawn_connections) {
        // Lines first, so that the discs lie on top of them.
        for (int i = inputs; i < count; ++i) {
            for (const Connection& connection : network.neuron(i).connections) {
                if (connection.source < 0 || connection.source >= count)
                    continue;
                const NeuronPosition from = positions[static_cast<std::size_t>(connection.source)];
                const NeuronPosition to = positions[static_cast<std::size_t>(i)];
                svg += "<line x1=\"" + std::to_string(from.x) + "\" y1=\"" + std::to_string(from.y) + "\" x2=\"" +
                       std::to_string(to.x) + "\" y2=\"" + std::to_string(to.y) + "\" stroke=\"" +
                       shade(weight_ratio(connection.weight, scale)) + "\"/>\n";
            }
        }
    } else {
        add_note(svg, std::to_string(connections) + " connections: too many to draw");
    }
    for (int i = 0; i < count; ++i) {
        const NeuronPosition centre = positions[static_cast<std::size_t>(i)];
        if (i < inputs)
            add_bar(svg, 0, centre.x, centre.y);
        if (i >= first_output)
            add_bar(svg, centre.x, screen_width - 1, centre.y);
        const double value = network.neuron(i).output;
        svg += "<circle cx=\"" + std::to_string(centre.x) + "\" cy=\"" + std::to_string(centre.y) + "\" r=\"" +
               std::to_string(radius - 1) + "\" fill=\"" + shade(value) + "\" stroke=\"" +
               color_text(i < inputs ? input_color : computing_color) + "\" stroke-width=\"2\"/>\n";
        svg += "<text x=\"" + std::to_string(centre.x - 15) + "\" y=\"" + std::to_string(centre.y + radius + text_size) +
               "\" fill=\"" + color_text(text_color) + "\">" + value_text(value) + "</text>\n";
    }
    return svg + "</svg>\n";
}
