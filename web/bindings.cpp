// The page's window on the C++ code: the lab and creature sessions as JavaScript classes, and
// their lists handed over as plain arrays and objects.
#include "web/creature_session.h"
#include "web/evolution_session.h"
#include "lab_session/curve_scale.h"
#include "lab_session/input_grid.h"
#include "lab_session/lab_examples.h"
#include "lab_session/lab_session.h"
#include "lab_session/lesson_recipe.h"
#include "lab_session/saved_network.h"

#include "engine/data_sets.h"
#include "engine/diagnostics.h"
#include "engine/network.h"
#include "network_view/network_layout.h"

#include <emscripten.h>
#include <emscripten/bind.h>
#include <emscripten/val.h>

#include <algorithm>
#include <cmath>
#include <sstream>
#include <vector>

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

// The page's lab: the session, and the grid behind its maps.
struct PageLab : LabSession {
    InputGrid grid;
};

double seconds_now()
{
    return emscripten_get_now() / 1000.0;
}

void lab_load(PageLab& lab, const std::string& network_path, const std::string& training_path, unsigned seed)
{
    lab.load({network_path, training_path}, seed);
    lab.grid.prepare(lab.network());
}

// Training timed by the browser's clock: `passes` passes, one while paused, or a frame's.
int lab_train(PageLab& lab, int passes, double seconds)
{
    return lab.train(passes, seconds, seconds_now);
}

void lab_one_pass(PageLab& lab, double seconds)
{
    lab.one_pass(seconds, seconds_now);
}

bool lab_train_frame(PageLab& lab, double seconds)
{
    return lab.train_frame(seconds, seconds_now);
}

// A frame drawn at `now`, in the browser's milliseconds.
void lab_take_rates(PageLab& lab, double now)
{
    lab.rates.take(now / 1000.0, lab.passes());
}

val lab_status(const PageLab& lab)
{
    val status = val::object();
    status.set("passes", lab.passes());
    status.set("maxIterations", lab.stepper.run.pass_limit());
    status.set("state", std::string(state_name(lab.stepper.state)));
    // Infinity, which JSON writes as null, when some outputs are not numbers: the flag says so.
    status.set("worstError", lab.errors.worst);
    status.set("outputsAreNumbers", outputs_are_numbers(lab.errors));
    status.set("meanSquaredError", lab.errors.mean_squared);
    status.set("errorLimit", lab.network().error_limit);
    status.set("learnThresholds", lab.network().learn_thresholds);
    status.set("secondsPerPass", lab.stepper.seconds_per_pass);
    status.set("seed", lab.seed);
    val layers = val::array();
    for (int layer = 0; layer < lab.network().layer_count(); ++layer)
        layers.set(layer, lab.network().layer_size(layer));
    status.set("layers", layers);
    status.set("patterns", lab.network().pattern_count());
    status.set("drawnWeights", static_cast<double>(lab.drawn_weights));
    status.set("heldOutShare", lab.held_out_share);
    status.set("heldOutPatterns", lab.errors.held_out_patterns);
    status.set("heldOutWorstError", lab.errors.held_out_worst);
    status.set("heldOutMeanSquaredError", lab.errors.held_out_mean_squared);
    status.set("passesPerFrame", lab.passes_per_frame());
    status.set("passesPerSecond", lab.rates.passes_per_second);
    status.set("framesPerSecond", lab.rates.frames_per_second);
    return status;
}

// A copy of `values` as a JavaScript typed array of `type`, made in one step: a view into the
// module's memory would not outlive the memory's next growth.
template <typename T>
val typed_array_of(const char* type, const std::vector<T>& values)
{
    return val::global(type).new_(emscripten::typed_memory_view(values.size(), values.data()));
}

// A layer drawn as a shaded column: its x, the rows from top to bottom, whether it is the
// input layer, and the output of the neuron each row shows.
val layer_column(const Network& network, const std::vector<NeuronPosition>& positions, int first, int end)
{
    const NeuronPosition& top = positions[static_cast<std::size_t>(first)];
    const int bottom = positions[static_cast<std::size_t>(end - 1)].y;
    std::vector<double> shades;
    for (int y = top.y; y <= bottom; ++y)
        shades.push_back(network.neuron(column_row_neuron(positions, first, end, y)).output);
    val column = val::object();
    column.set("x", top.x);
    column.set("top", top.y);
    column.set("bottom", bottom);
    column.set("input", first < network.input_count());
    column.set("shades", typed_array_of("Float64Array", shades));
    return column;
}

// The network as net_lab's view draws it, in what the screen shows rather than in what the
// network holds: discs as [neuron, x, y, output], packed layers as columns, and unless there
// are too many, every connection as a line [source x, source y, target x, target y, weight];
// with the note that says what is left out.
val network_drawing(const Network& network, int width, int height)
{
    const NetworkLayout layout = lay_out_network(network, width, height);
    const std::vector<NeuronPosition>& positions = layout.positions;
    const int count = std::min(network.neuron_count(), static_cast<int>(positions.size()));
    long long connection_count = 0;
    for (int position = 0; position < network.neuron_count(); ++position)
        connection_count += static_cast<long long>(network.neuron(position).connections.size());
    const bool lines_drawn = connection_count <= NetworkLayout::max_drawn_connections;

    std::vector<double> discs;
    std::vector<double> lines;
    val columns = val::array();
    int first = 0;
    for (int layer = 0; layer < network.layer_count() && first < count; ++layer) {
        const int end = std::min(count, first + std::max(0, network.layer_size(layer)));
        if (drawn_as_column(positions, count, first, end)) {
            columns.call<void>("push", layer_column(network, positions, first, end));
        } else {
            for (int i = first; i < end; ++i) {
                const NeuronPosition& centre = positions[static_cast<std::size_t>(i)];
                discs.insert(discs.end(), {static_cast<double>(i), static_cast<double>(centre.x),
                                           static_cast<double>(centre.y), network.neuron(i).output});
            }
        }
        for (int i = std::max(first, network.input_count()); lines_drawn && i < end; ++i) {
            const NeuronPosition& target = positions[static_cast<std::size_t>(i)];
            for (const Connection& connection : network.neuron(i).connections) {
                if (connection.source < 0 || connection.source >= static_cast<int>(positions.size()))
                    continue;
                const NeuronPosition& source = positions[static_cast<std::size_t>(connection.source)];
                lines.insert(lines.end(), {static_cast<double>(source.x), static_cast<double>(source.y),
                                           static_cast<double>(target.x), static_cast<double>(target.y),
                                           connection.weight});
            }
        }
        first = end;
    }
    char note[160];
    write_drawing_note(connection_count, lines_drawn, columns["length"].as<int>() > 0, note, sizeof note);

    val drawing = val::object();
    drawing.set("radius", layout.radius);
    drawing.set("discs", typed_array_of("Float64Array", discs));
    drawing.set("columns", columns);
    drawing.set("lines", typed_array_of("Float64Array", lines));
    drawing.set("note", std::string(note));
    drawing.set("maxWeight", network.max_weight());
    drawing.set("inputCount", network.input_count());
    drawing.set("firstOutput", network.neuron_count() - network.output_count());
    return drawing;
}

val lab_network(const PageLab& lab, int width, int height)
{
    return network_drawing(lab.network(), width, height);
}

// The learning curve in a box of `width` x `height` pixels, as net_lab draws it: the decades
// as [exponent, row], the error limit's row (-1 when it is not drawn), the last pass, and each
// point's column with its rows for the worst, mean squared, held-out worst and held-out mean
// squared errors.
val lab_curve_drawing(const PageLab& lab, int width, int height)
{
    const std::vector<CurvePoint>& points = lab.curve.points();
    const double error_limit = lab.network().error_limit;
    const CurveScale scale = fit_scale(points, error_limit);
    val decades = val::array();
    for (int exponent = scale.low_exponent; exponent <= scale.high_exponent; ++exponent) {
        val decade = val::array();
        decade.set(0, exponent);
        decade.set(1, decade_row(scale, exponent, height));
        decades.call<void>("push", decade);
    }
    std::vector<int> columns;
    std::vector<int> worst;
    std::vector<int> mean_squared;
    std::vector<int> held_out_worst;
    std::vector<int> held_out_mean_squared;
    for (const CurvePoint& point : points) {
        columns.push_back(pass_column(scale, point.pass, width));
        worst.push_back(value_row(scale, point.worst, height));
        mean_squared.push_back(value_row(scale, point.mean_squared, height));
        held_out_worst.push_back(value_row(scale, point.held_out_worst, height));
        held_out_mean_squared.push_back(value_row(scale, point.held_out_mean_squared, height));
    }
    val drawing = val::object();
    drawing.set("decades", decades);
    drawing.set("limitRow", is_shown(error_limit) ? value_row(scale, error_limit, height) : -1);
    drawing.set("lastPass", scale.last_pass);
    drawing.set("columns", typed_array_of("Int32Array", columns));
    drawing.set("worst", typed_array_of("Int32Array", worst));
    drawing.set("meanSquared", typed_array_of("Int32Array", mean_squared));
    drawing.set("heldOutWorst", typed_array_of("Int32Array", held_out_worst));
    drawing.set("heldOutMeanSquared", typed_array_of("Int32Array", held_out_mean_squared));
    return drawing;
}

// The `count` worst patterns, worst first: number (from 1), error, output, expected, computed.
val lab_worst_patterns(PageLab& lab, int count)
{
    const std::vector<int>& order = lab.worst_patterns(count);
    const PatternErrors& errors = lab.errors;
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
val lab_maps(PageLab& lab)
{
    InputGrid& grid = lab.grid;
    if (lab.maps_stale && grid.active())
        grid.evaluate(lab.network());
    lab.maps_stale = false;
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
val lab_saved_network(const PageLab& lab)
{
    std::string text;
    std::string reason;
    lab.saved_text(text, reason);
    val saved = val::object();
    saved.set("text", text);
    saved.set("reason", reason);
    return saved;
}

// `network` as a lesson, {text, reason} as savedNetwork gives them: its records, patterns and
// parameters with the lab's held-out share and seed, as net_train --lesson writes it.
val lesson_of(const PageLab& lab, const Network& network)
{
    std::string text;
    std::string reason;
    if (saved_network_text(network, text, reason)) {
        Network lesson = network;
        lesson.held_out_share = lab.held_out_share;
        lesson.held_out_seed = lab.seed;
        std::ostringstream out;
        if (!lesson.write_lesson(out))
            reason = "a pattern value or a training parameter is not a finite number, which the file format cannot hold";
        text = reason.empty() ? out.str() : std::string();
    }
    val saved = val::object();
    saved.set("text", text);
    saved.set("reason", reason);
    return saved;
}

// What Save lesson saves: the trained network as a lesson.
val lab_saved_lesson(const PageLab& lab)
{
    return lesson_of(lab, lab.network());
}

// The lesson as it starts, before any pass: what a link to it holds.
val lab_starting_lesson(const PageLab& lab)
{
    return lesson_of(lab, lab.initial);
}

// The network file's text of the engine's from_layers network, which the lab loads as any
// file; with the reason instead when the sizes give no network.
val layers_network(const val& sizes, unsigned seed)
{
    Diagnostics diagnostics;
    const Network network = Network::from_layers(emscripten::vecFromJSArray<int>(sizes), seed, &diagnostics);
    std::ostringstream text;
    network.write_network(text);
    val built = val::object();
    built.set("text", network.layer_count() == 0 ? std::string() : text.str());
    built.set("reason", diagnostics.entries.empty() ? std::string() : diagnostics.entries.front().message);
    return built;
}

val lab_problems(const PageLab& lab)
{
    return array_of(lab.problems);
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
    scene.set("networkNot3In4Out", world.creature.network_not_3_in_4_out);
    scene.set("x", world.creature.x);
    scene.set("y", world.creature.y);
    scene.set("vx", world.creature.vx);
    scene.set("vy", world.creature.vy);
    scene.set("inputs", array_of(world.creature.inputs));
    scene.set("trailNext", session.trail.next);
    scene.set("trailCount", session.trail.count);
    return scene;
}

// The trail's ring of x, y pairs as a view into the module's memory, to be read at once: the
// memory's next growth detaches it.
val creature_trail(const CreatureSession& session)
{
    const std::vector<double>& points = session.trail.points;
    return val(emscripten::typed_memory_view(points.size(), points.data()));
}

// The creature's network as the lab's is drawn, its input neurons holding the last frame's
// sensor values and its outputs the pulls they gave.
val creature_network(const CreatureSession& session, int width, int height)
{
    return network_drawing(*session.world.creature.network, width, height);
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

constexpr double highest_seed = 4294967295.0;

// A number from JavaScript as a point count: itself when whole and within the engine's range,
// else 0, which the engine refuses with its own words.
long long point_count(double points)
{
    const bool whole = std::floor(points) == points && points >= 1 && points <= data_set_max_points;
    return whole ? static_cast<long long>(points) : 0;
}

// A data set for the page's control: {table, inputs, targets} with the table net_train
// --write-data-set writes, or {problem} naming what is wrong with the arguments.
val data_set(const std::string& name, double points, double noise, double seed)
{
    val made = val::object();
    DataSet data;
    std::string problem;
    if (!(std::floor(seed) == seed && seed >= 0 && seed <= highest_seed))
        problem = "the seed must be a whole number from 0 to 4294967295";
    else if (make_data_set(name, point_count(points), noise, static_cast<std::uint32_t>(seed), data, problem)) {
        made.set("table", data_set_csv(data));
        made.set("inputs", typed_array_of("Float64Array", data.inputs));
        made.set("targets", typed_array_of("Float64Array", data.targets));
        return made;
    }
    made.set("problem", problem);
    return made;
}

val data_set_name_list()
{
    return array_of(data_set_names());
}

// The shares of the patterns the lab's control offers to hold out, net_lab's own.
val held_out_shares()
{
    val shares = val::array();
    int i = 0;
    for (double share : held_out_share_steps)
        shares.set(i++, share);
    return shares;
}


// The lessons the lab offers, as [network file, training file or "", name, line].
val lab_example_list()
{
    val examples = val::array();
    int i = 0;
    for (const LabExample& example : lab_examples) {
        val lesson = val::array();
        lesson.set(0, std::string(example.network));
        lesson.set(1, std::string(example.training));
        lesson.set(2, std::string(example.name));
        lesson.set(3, std::string(example.line));
        examples.set(i++, lesson);
    }
    return examples;
}

// The lesson a link's text describes, as {text, link, reason}: the lesson file's text and the
// link's text written again in full, or the reason there is none.
val recipe_lesson(const std::string& link_text)
{
    LessonRecipe recipe;
    std::string text;
    std::string reason;
    if (read_recipe_link(link_text, recipe, reason))
        recipe_lesson_text(recipe, text, reason);
    val lesson = val::object();
    lesson.set("text", text);
    lesson.set("link", text.empty() ? std::string() : recipe_link_text(recipe));
    lesson.set("reason", text.empty() ? reason : std::string());
    return lesson;
}

// A tap on the map at inputs (x, y) as a drawn point of `category`, {x, y, category}.
val drawn_point(double x, double y, int category)
{
    const DrawnPoint point = drawn_point_at(x, y, category);
    val drawn = val::object();
    drawn.set("x", point.x);
    drawn.set("y", point.y);
    drawn.set("category", point.category);
    return drawn;
}

// The last generation's figures, with its line as creature_lab evolve prints it.
val evolution_result(const EvolutionSession& session)
{
    const GenerationResult& result = session.result();
    val figures = val::object();
    figures.set("generation", result.generation);
    figures.set("best", result.best);
    figures.set("mean", result.mean);
    figures.set("bestSoFar", result.best_so_far);
    figures.set("line", generation_line(result));
    figures.set("finished", session.finished());
    return figures;
}

// creature_lab evolve's defaults and ranges, for the page's controls.
val evolution_limits()
{
    val limits = val::object();
    limits.set("population", default_population);
    limits.set("smallestPopulation", smallest_population);
    limits.set("largestPopulation", largest_population);
    limits.set("generations", default_generations);
    limits.set("largestGenerations", largest_generations);
    return limits;
}

}  // namespace

EMSCRIPTEN_BINDINGS(neural_creatures)
{
    emscripten::function("layersNetwork", &layers_network);
    emscripten::function("dataSet", &data_set);
    emscripten::function("dataSetNames", &data_set_name_list);
    emscripten::function("heldOutShares", &held_out_shares);
    emscripten::function("labExamples", &lab_example_list);
    emscripten::function("recipeLesson", &recipe_lesson);
    emscripten::function("drawnPointAt", &drawn_point);
    emscripten::function("trainingBudget", &training_budget);
    emscripten::function("drawingDue", &drawing_due);
    emscripten::function("evolutionLimits", &evolution_limits);
    using emscripten::optional_override;
    emscripten::class_<PageLab>("LabSession")
        .constructor<>()
        .function("load", &lab_load)
        .function("reset", optional_override([](PageLab& lab) { lab.reset(); }))
        .function("holdOut", optional_override([](PageLab& lab, double share) { lab.hold_out(share); }))
        .function("startPause", optional_override([](PageLab& lab) { lab.start_pause(); }))
        .function("pause", optional_override([](PageLab& lab) { lab.pause(); }))
        .function("setLearnThresholds", optional_override([](PageLab& lab, bool learn) { lab.set_learn_thresholds(learn); }))
        .function("faster", optional_override([](PageLab& lab) { lab.faster(); }))
        .function("slower", optional_override([](PageLab& lab) { lab.slower(); }))
        .function("train", &lab_train)
        .function("onePass", &lab_one_pass)
        .function("trainFrame", &lab_train_frame)
        .function("takeRates", &lab_take_rates)
        .function("savedNetwork", &lab_saved_network)
        .function("savedLesson", &lab_saved_lesson)
        .function("startingLesson", &lab_starting_lesson)
        .function("status", &lab_status)
        .function("network", &lab_network)
        .function("curveDrawing", &lab_curve_drawing)
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
        .function("trail", &creature_trail)
        .function("network", &creature_network)
        .function("problems", &creature_problems);
    emscripten::class_<EvolutionSession>("EvolutionSession")
        .constructor<>()
        .function("start", &EvolutionSession::start)
        .function("next", &EvolutionSession::next)
        .function("result", &evolution_result)
        .function("bestText", &EvolutionSession::best_text)
        .function("generationBestText", &EvolutionSession::generation_best_text);
}
