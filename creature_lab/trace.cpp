// The CSV rows of a trace and its picture, drawn on the world's own arena.
#include "creature_lab/trace.h"

#include "creature_world/scene_colors.h"
#include "tool_support/number_text.h"

#include <allegro.h>

#include <cmath>

const char* const trace_csv_header =
    "frame,creature_x,creature_y,light_x,light_y,light_radius,sensor_left,sensor_top,sensor_right,"
    "output_left,output_right,output_up,output_down\n";

namespace {

// Palette entries of the picture's two paths, free in the scene's palette.
constexpr int light_path_color = 97;
constexpr int creature_path_color = 98;
// A step longer than this is a jump of the spotlight, not a path to draw.
constexpr double longest_drawn_step = 10.0;

struct Rgb {
    unsigned char r, g, b;
};

Rgb picture_color(int index)
{
    if (index >= light_base_color && index < light_base_color + 64) {
        // The grey ramp, from black at the rim to white at the centre, lifted a little so
        // that the disc stands out from the background.
        const int level = index - light_base_color;
        const auto grey = static_cast<unsigned char>(40 + level * 215 / 63);
        return {grey, grey, grey};
    }
    switch (index) {
    case light_path_color:
        return {255, 200, 0};
    case creature_path_color:
        return {230, 30, 30};
    case sensor_inner_color:
        return {0, 0, 255};
    case sensor_outer_color:
        return {0, 234, 0};
    default:
        return {16, 16, 24};
    }
}

void draw_path(BITMAP* arena, const std::vector<TracePoint>& path, bool light, int color)
{
    for (std::size_t index = 1; index < path.size(); ++index) {
        const TracePoint& from = path[index - 1];
        const TracePoint& to = path[index];
        const double x0 = light ? from.light_x : from.creature_x;
        const double y0 = light ? from.light_y : from.creature_y;
        const double x1 = light ? to.light_x : to.creature_x;
        const double y1 = light ? to.light_y : to.creature_y;
        if (std::hypot(x1 - x0, y1 - y0) > longest_drawn_step)
            putpixel(arena, static_cast<int>(x1), static_cast<int>(y1), color);
        else
            line(arena, static_cast<int>(x0), static_cast<int>(y0), static_cast<int>(x1), static_cast<int>(y1),
                 color);
    }
}

}  // namespace

Trace trace_world(World& world, const Scenario& scenario, int frames, unsigned seed)
{
    Trace trace;
    trace.csv = trace_csv_header;
    ScenarioRun run(world, scenario, seed);
    const Creature& creature = world.creature;
    const Spotlight& light = world.spotlight;
    trace.path.push_back({creature.x, creature.y, light.x, light.y});
    for (int frame = 1; frame <= frames; ++frame) {
        run.frame();
        std::string row = std::to_string(frame);
        for (double value : {creature.x, creature.y, light.x, light.y}) {
            row += ',';
            row += shortest_text(value);
        }
        row += ',' + std::to_string(light.radius);
        for (double value : creature.inputs) {
            row += ',';
            row += shortest_text(value);
        }
        for (double value : creature.outputs) {
            row += ',';
            row += shortest_text(value);
        }
        trace.csv += row + '\n';
        trace.path.push_back({creature.x, creature.y, light.x, light.y});
    }
    return trace;
}

RgbImage trace_picture(World& world, const std::vector<TracePoint>& path)
{
    BITMAP* arena = world.arena.get();
    clear_bitmap(arena);
    world.spotlight.draw();
    draw_path(arena, path, true, light_path_color);
    draw_path(arena, path, false, creature_path_color);
    world.creature.draw();

    RgbImage image;
    image.width = arena->w;
    image.height = arena->h;
    image.pixels.reserve(static_cast<std::size_t>(arena->w) * arena->h * 3);
    for (int y = 0; y < arena->h; ++y) {
        for (int x = 0; x < arena->w; ++x) {
            const Rgb color = picture_color(getpixel(arena, x, y));
            image.pixels.insert(image.pixels.end(), {color.r, color.g, color.b});
        }
    }
    clear_bitmap(arena);
    return image;
}
