// The lesson recipe's two texts: the lesson file it makes, and the link's field list, read back
// with every value checked against the controls' limits.
#include "lab_session/lesson_recipe.h"

#include "engine/data_sets.h"
#include "engine/diagnostics.h"
#include "engine/network.h"
#include "engine/training_run.h"
#include "engine/real_text.h"
#include "tool_support/option_scanner.h"

#include <cmath>
#include <sstream>

namespace {

constexpr long long highest_seed = 4294967295LL;
constexpr long long most_iterations = 10000000;
constexpr long long most_points = 10000;
constexpr double most_threshold = 10.0;
constexpr double least_slope = 0.01;
constexpr double most_slope = 20.0;
constexpr double least_rate = 0.001;
constexpr double most_rate = 1000.0;
constexpr double drawn_grid = 1000.0;  // steps per input of a drawn point

bool read_whole(std::string_view text, long long low, long long high, long long& value)
{
    return read_whole_number(std::string(text), low, high, value);
}

std::vector<std::string_view> split(std::string_view text, char mark)
{
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = text.find(mark, start);
        parts.push_back(text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
        if (end == std::string_view::npos)
            return parts;
        start = end + 1;
    }
}

// What is wrong with the layer sizes; empty when they suit the page's lessons.
std::string layers_problem(const std::vector<int>& layers)
{
    if (layers.size() < 2 || layers.front() != data_set_input_count || layers.back() != 1)
        return "the layers must begin with 2 inputs and end with 1 output";
    if (layers.size() - 2 > static_cast<std::size_t>(recipe_max_hidden_layers))
        return "at most " + std::to_string(recipe_max_hidden_layers) + " hidden layers";
    for (std::size_t i = 1; i + 1 < layers.size(); ++i)
        if (layers[i] < 1 || layers[i] > recipe_max_layer_neurons)
            return "a hidden layer has 1 to " + std::to_string(recipe_max_layer_neurons) + " neurons";
    return "";
}

bool read_layers(std::string_view text, LessonRecipe& recipe)
{
    std::vector<int> layers;
    for (std::string_view part : split(text, ',')) {
        long long size = 0;
        if (!read_whole(part, 1, recipe_max_layer_neurons, size))
            return false;
        layers.push_back(static_cast<int>(size));
    }
    if (!layers_problem(layers).empty())
        return false;
    recipe.layers = layers;
    return true;
}

bool read_drawn(std::string_view text, LessonRecipe& recipe)
{
    std::vector<DrawnPoint> drawn;
    for (std::string_view point : text.empty() ? std::vector<std::string_view>{} : split(text, ';')) {
        const std::vector<std::string_view> parts = split(point, ',');
        long long category = 0;
        DrawnPoint read;
        if (parts.size() != 3 || !read_real_number(parts[0], 0.0, 1.0, read.x) ||
            !read_real_number(parts[1], 0.0, 1.0, read.y) ||
            !read_whole(parts[2], 0, 1, category) || drawn.size() >= recipe_max_drawn_points)
            return false;
        read.category = static_cast<int>(category);
        drawn.push_back(read);
    }
    recipe.drawn = drawn;
    return true;
}

bool known_data(std::string_view name)
{
    if (name == drawn_data)
        return true;
    for (const std::string& set : data_set_names())
        if (name == set)
            return true;
    return false;
}

// Reads one field's value into `recipe`; false, with what the value must be, when it is wrong.
bool read_field(std::string_view name, std::string_view value, LessonRecipe& recipe, std::string& must)
{
    long long whole = 0;
    const auto real = [&](double low, double high, double& field, const std::string& range) {
        must = range;
        return read_real_number(value, low, high, field);
    };
    const auto number = [&](long long low, long long high) {
        must = "a whole number from " + std::to_string(low) + " to " + std::to_string(high);
        return read_whole(value, low, high, whole);
    };
    if (name == "layers") {
        must = "sizes 2,...,1 with at most " + std::to_string(recipe_max_hidden_layers) + " hidden layers of 1 to " +
               std::to_string(recipe_max_layer_neurons) + " neurons";
        return read_layers(value, recipe);
    }
    if (name == "seed" || name == "dataseed") {
        if (!number(0, highest_seed))
            return false;
        (name == "seed" ? recipe.seed : recipe.data_seed) = static_cast<std::uint32_t>(whole);
        return true;
    }
    if (name == "threshold")
        return real(-most_threshold, most_threshold, recipe.neurons.threshold, "a number from -10 to 10");
    if (name == "slope")
        return real(least_slope, most_slope, recipe.neurons.slope_parameter, "a number from 0.01 to 20");
    if (name == "rate")
        return real(least_rate, most_rate, recipe.neurons.learning_rate, "a number from 0.001 to 1000");
    if (name == "limit")
        return real(0.0, 1.0, recipe.error_limit, "a number above 0, at most 1") && recipe.error_limit > 0.0;
    if (name == "share")
        return real(0.0, max_held_out_share, recipe.held_out_share, "a share from 0 to 0.9");
    if (name == "noise")
        return real(0.0, data_set_max_noise, recipe.noise, "a number from 0 to 0.5");
    if (name == "thresholds") {
        if (!number(0, 1))
            return false;
        recipe.learn_thresholds = whole == 1;
        return true;
    }
    if (name == "iterations") {
        if (!number(1, most_iterations))
            return false;
        recipe.max_iterations = static_cast<int>(whole);
        return true;
    }
    if (name == "points") {
        if (!number(1, most_points))
            return false;
        recipe.points = whole;
        return true;
    }
    if (name == "data") {
        must = "a data set's name or \"drawn\"";
        if (!known_data(value))
            return false;
        recipe.data_set = std::string(value);
        return true;
    }
    if (name == "drawn") {
        must = "points \"x,y,class\" joined by \";\", x and y from 0 to 1, class 0 or 1, at most " +
               std::to_string(recipe_max_drawn_points);
        return read_drawn(value, recipe);
    }
    must = "";
    return false;
}

}  // namespace

bool LessonRecipe::operator==(const LessonRecipe& other) const
{
    return layers == other.layers && seed == other.seed && neurons.threshold == other.neurons.threshold &&
           neurons.slope_parameter == other.neurons.slope_parameter &&
           neurons.learning_rate == other.neurons.learning_rate && learn_thresholds == other.learn_thresholds &&
           error_limit == other.error_limit && max_iterations == other.max_iterations &&
           held_out_share == other.held_out_share && data_set == other.data_set && points == other.points &&
           noise == other.noise && data_seed == other.data_seed && drawn == other.drawn;
}

bool recipe_lesson_text(const LessonRecipe& recipe, std::string& text, std::string& reason)
{
    text.clear();
    reason = layers_problem(recipe.layers);
    if (!reason.empty())
        return false;
    Diagnostics diagnostics;
    Network network = Network::from_layers(recipe.layers, recipe.seed, recipe.neurons, &diagnostics);
    if (network.layer_count() == 0) {
        reason = diagnostics.entries.empty() ? "no network" : diagnostics.entries.front().message;
        return false;
    }
    network.error_limit = recipe.error_limit;
    network.max_iterations = recipe.max_iterations;
    network.learn_thresholds = recipe.learn_thresholds;
    network.held_out_share = recipe.held_out_share;
    network.held_out_seed = recipe.seed;
    if (recipe.data_set == drawn_data) {
        for (const DrawnPoint& point : recipe.drawn)
            network.add_pattern({{point.x, point.y}, {static_cast<double>(point.category)}});
    } else {
        DataSet data;
        if (!make_data_set(recipe.data_set, recipe.points, recipe.noise, recipe.data_seed, data, reason))
            return false;
        for (std::size_t i = 0; i < data.targets.size(); ++i)
            network.add_pattern({{data.inputs[2 * i], data.inputs[2 * i + 1]}, {data.targets[i]}});
    }
    std::ostringstream out;
    if (!network.write_lesson(out)) {
        reason = "a parameter is not a finite number, which the file format cannot hold";
        return false;
    }
    text = out.str();
    return true;
}

std::string recipe_link_text(const LessonRecipe& recipe)
{
    std::string layers;
    for (int size : recipe.layers)
        layers += (layers.empty() ? "" : ",") + std::to_string(size);
    std::string text = "layers=" + layers + "&seed=" + std::to_string(recipe.seed) +
                       "&threshold=" + shortest_real_text(recipe.neurons.threshold) +
                       "&slope=" + shortest_real_text(recipe.neurons.slope_parameter) +
                       "&rate=" + shortest_real_text(recipe.neurons.learning_rate) +
                       "&thresholds=" + (recipe.learn_thresholds ? "1" : "0") +
                       "&limit=" + shortest_real_text(recipe.error_limit) +
                       "&iterations=" + std::to_string(recipe.max_iterations) +
                       "&share=" + shortest_real_text(recipe.held_out_share) + "&data=" + recipe.data_set;
    if (recipe.data_set != drawn_data)
        return text + "&points=" + std::to_string(recipe.points) + "&noise=" + shortest_real_text(recipe.noise) +
               "&dataseed=" + std::to_string(recipe.data_seed);
    std::string drawn;
    for (const DrawnPoint& point : recipe.drawn)
        drawn += (drawn.empty() ? "" : ";") + shortest_real_text(point.x) + "," + shortest_real_text(point.y) + "," +
                 std::to_string(point.category);
    return text + "&drawn=" + drawn;
}

bool read_recipe_link(std::string_view text, LessonRecipe& recipe, std::string& reason)
{
    LessonRecipe read = recipe;
    for (std::string_view field : split(text, '&')) {
        // An empty text, or an "&" at an end, leaves the defaults.
        if (field.empty())
            continue;
        const std::size_t equals = field.find('=');
        const std::string_view name = field.substr(0, equals);
        const std::string_view value = equals == std::string_view::npos ? std::string_view() : field.substr(equals + 1);
        std::string must;
        if (equals == std::string_view::npos || !read_field(name, value, read, must)) {
            reason = must.empty() ? "unknown field '" + std::string(name) + "'"
                                  : "'" + std::string(name) + "' must be " + must + ", not '" + std::string(value) + "'";
            return false;
        }
    }
    recipe = read;
    return true;
}

DrawnPoint drawn_point_at(double x, double y, int category)
{
    const auto on_grid = [](double value) {
        return std::isfinite(value) ? std::round(std::fmin(1.0, std::fmax(0.0, value)) * drawn_grid) / drawn_grid : 0.0;
    };
    return {on_grid(x), on_grid(y), category == 1 ? 1 : 0};
}
