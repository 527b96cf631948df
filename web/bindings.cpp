// The page's window on the C++ code: the lab and creature sessions as JavaScript classes, and
// their lists handed over as plain arrays and objects.
#include "web/creature_session.h"
#include "web/lab_session.h"

#include "network_view/network_layout.h"

#include <emscripten/bind.h>
#include <emscripten/val.h>

using emscripten::val;

namespace {

template <typename T>
val array_of(const std::vector<T>& values)
{
    val array = val::array();
    for (std::size_t i = 0; i < values.size(); ++i)
        array.set(i, values[i]);
    return array;
}

val lab_status(const LabSession& lab)
{
    val status = val::object();
    status.set("passes", lab.passes());
    status.set("maxIterations", lab.max_iterations());
    status.set("state", std::string(lab.state()));
    // Infinity, which JSON writes as null, when some outputs are not numbers: the flag says so.
    status.set("worstError", lab.errors().worst);
    status.set("outputsAreNumbers", outputs_are_numbers(lab.errors()));
    status.set("meanSquaredError", lab.errors().mean_squared);
    status.set("errorLimit", lab.network().error_limit);
    status.set("secondsPerPass", lab.seconds_per_pass());
    status.set("seed", lab.seed());
    status.set("drawnWeights", static_cast<double>(lab.drawn_weights()));
    return status;
}

// Most connections handed to the page for drawing, as net_tester draws at most: beyond this
// the lines would take seconds a frame, and the page only says how many there are.
constexpr long long max_drawn_connections = 100000;

// Layers, neuron outputs and every connection as [target, source, weight] triples.
val lab_network(const LabSession& lab, int width, int height)
{
    const Network& network = lab.network();
    val drawing = val::object();
    const NetworkLayout layout = lay_out_network(network, width, height);
    std::vector<int> centres;
    for (const NeuronPosition& position : layout.positions)
        centres.insert(centres.end(), {position.x, position.y});
    drawing.set("centres", array_of(centres));
    drawing.set("radius", layout.radius);
    long long connection_count = 0;
    for (int position = 0; position < network.neuron_count(); ++position)
        connection_count += static_cast<long long>(network.neuron(position).connections.size());
    const bool drawn = connection_count <= max_drawn_connections;
    std::vector<double> outputs;
    std::vector<double> connections;
    for (int position = 0; position < network.neuron_count(); ++position) {
        const Neuron& neuron = network.neuron(position);
        outputs.push_back(neuron.output);
        for (const Connection& connection : neuron.connections) {
            if (drawn)
                connections.insert(connections.end(), {static_cast<double>(position),
                                                       static_cast<double>(connection.source), connection.weight});
        }
    }
    drawing.set("connectionCount", static_cast<double>(connection_count));
    drawing.set("outputs", array_of(outputs));
    drawing.set("connections", array_of(connections));
    drawing.set("maxWeight", network.max_weight());
    drawing.set("inputCount", network.input_count());
    drawing.set("outputCount", network.output_count());
    return drawing;
}

val lab_curve(const LabSession& lab)
{
    val points = val::array();
    int i = 0;
    for (const CurvePoint& point : lab.curve().points()) {
        val entry = val::array();
        entry.set(0, point.pass);
        entry.set(1, point.worst);
        entry.set(2, point.mean_squared);
        points.set(i++, entry);
    }
    return points;
}

// The `count` worst patterns, worst first: number (from 1), error, output, expected, computed.
val lab_worst_patterns(LabSession& lab, int count)
{
    const std::vector<int>& order = lab.worst_patterns(count);
    const PatternErrors& errors = lab.errors();
    val rows = val::array();
    const int shown = std::min(count, static_cast<int>(order.size()));
    for (int i = 0; i < shown; ++i) {
        const int index = order[static_cast<std::size_t>(i)];
        const auto at = static_cast<std::size_t>(index);
        const int output = errors.worst_output[at];
        const TrainingPattern& pattern = lab.network().pattern(index);
        val row = val::object();
        row.set("pattern", index + 1);
        row.set("error", errors.pattern_worst[at]);
        row.set("output", output + 1);
        row.set("expected", output >= 0 && output < static_cast<int>(pattern.expected_outputs.size())
                                ? pattern.expected_outputs[static_cast<std::size_t>(output)]
                                : 0.0);
        row.set("computed", errors.computed[at]);
        rows.set(i, row);
    }
    return rows;
}

// The grid of the input maps and, for the dots, each pattern's two inputs and first expected output.
val lab_maps(LabSession& lab)
{
    const InputGrid& grid = lab.maps();
    val maps = val::object();
    maps.set("grid", grid.grid);
    maps.set("mapped", array_of(grid.mapped));
    maps.set("values", array_of(grid.values));
    std::vector<double> dots;
    const Network& network = lab.network();
    for (int index = 0; grid.active() && index < network.pattern_count(); ++index) {
        const TrainingPattern& pattern = network.pattern(index);
        if (pattern.inputs.size() == 2 && !pattern.expected_outputs.empty())
            dots.insert(dots.end(), {pattern.inputs[0], pattern.inputs[1], pattern.expected_outputs[0]});
    }
    maps.set("dots", array_of(dots));
    return maps;
}

// What S saves: {text, reason}, the text empty and the reason said when the file format
// cannot hold the network.
val lab_saved_network(const LabSession& lab)
{
    std::string text;
    std::string reason;
    lab.saved_text(text, reason);
    val saved = val::object();
    saved.set("text", text);
    saved.set("reason", reason);
    return saved;
}

val lab_problems(const LabSession& lab)
{
    return array_of(lab.problems());
}

val creature_status(const CreatureSession& session)
{
    const World& world = session.world;
    val status = val::object();
    status.set("frame", session.frame);
    val creature = val::object();
    creature.set("x", world.creature.x);
    creature.set("y", world.creature.y);
    status.set("creature", creature);
    val light = val::object();
    light.set("x", world.spotlight.x);
    light.set("y", world.spotlight.y);
    light.set("radius", world.spotlight.radius);
    status.set("light", light);
    return status;
}

// What the canvas draws: the sprite's place and side, and the sensors' pixels.
val creature_scene(const CreatureSession& session)
{
    const World& world = session.world;
    val scene = val::object();
    scene.set("spriteX", world.spotlight.draw_x);
    scene.set("spriteY", world.spotlight.draw_y);
    scene.set("spriteSide", world.spotlight.sprite.side);
    scene.set("spriteRadius", world.spotlight.sprite_radius);
    std::vector<int> sensors;
    for (int i = 0; i < 3; ++i)
        sensors.insert(sensors.end(), {world.creature.sensor_x(i), world.creature.sensor_y(i)});
    scene.set("sensors", array_of(sensors));
    scene.set("networkIncorrect", world.creature.network_incorrect);
    return scene;
}

// The sprite's palette indices as bytes, row after row: 0 dark, light_base_color + k level k.
val creature_sprite(const CreatureSession& session)
{
    const LightSprite& sprite = session.world.spotlight.sprite;
    return val(emscripten::typed_memory_view(sprite.pixels.size(), sprite.pixels.data()));
}

val creature_problems(const CreatureSession& session)
{
    return array_of(session.problems);
}

}  // namespace

EMSCRIPTEN_BINDINGS(neural_creatures)
{
    emscripten::class_<LabSession>("LabSession")
        .constructor<>()
        .function("load", &LabSession::load)
        .function("reset", &LabSession::reset)
        .function("startPause", &LabSession::start_pause)
        .function("pause", &LabSession::pause)
        .function("train", &LabSession::train)
        .function("savedNetwork", &lab_saved_network)
        .function("status", &lab_status)
        .function("network", &lab_network)
        .function("curve", &lab_curve)
        .function("worstPatterns", &lab_worst_patterns)
        .function("maps", &lab_maps)
        .function("problems", &lab_problems);
    emscripten::class_<CreatureSession>("CreatureSession")
        .constructor<>()
        .function("load", &CreatureSession::load)
        .function("step", &CreatureSession::step)
        .function("moveLight", &CreatureSession::move_light)
        .function("status", &creature_status)
        .function("scene", &creature_scene)
        .function("sprite", &creature_sprite)
        .function("problems", &creature_problems);
}
