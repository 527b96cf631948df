// A lesson made in the page from nothing: the network's shape, seed and parameters, and its data
// (a data set or points drawn on the map), as the lesson file the lab loads and as the text of
// a link.
#ifndef LAB_SESSION_LESSON_RECIPE_H
#define LAB_SESSION_LESSON_RECIPE_H

#include "engine/neuron.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The controls' limits, within the engine's own.
constexpr int recipe_max_hidden_layers = 8;
constexpr int recipe_max_layer_neurons = 32;
constexpr int recipe_max_drawn_points = 2000;

// A point drawn on the map: its two inputs, 0 to 1, and its class, 0 or 1.
struct DrawnPoint {
    double x = 0.0;
    double y = 0.0;
    int category = 0;
    bool operator==(const DrawnPoint& other) const
    {
        return x == other.x && y == other.y && category == other.category;
    }
};

struct LessonRecipe {
    std::vector<int> layers{2, 4, 1};  // two inputs first, one output last
    std::uint32_t seed = 1;            // of the starting weights and of the held-out patterns
    NeuronParameters neurons;          // threshold, slope and learning rate; the weight limit stays
    bool learn_thresholds = true;
    double error_limit = 0.1;
    int max_iterations = 20000;
    double held_out_share = 0.0;
    std::string data_set = "circle";  // "drawn": the points below
    long long points = 200;
    double noise = 0.0;
    std::uint32_t data_seed = 0;
    std::vector<DrawnPoint> drawn;
    bool operator==(const LessonRecipe& other) const;
};

// The name of the data that are the drawn points.
constexpr const char* drawn_data = "drawn";

// The lesson file's text for the recipe, as net_train --lesson writes one: the network of its
// layers drawn from its seed, its patterns and its training parameters. False, with the
// reason, when the recipe gives no lesson.
bool recipe_lesson_text(const LessonRecipe& recipe, std::string& text, std::string& reason);

// The recipe as "layers=2,4,1&seed=1&...": every field, the drawn points as "x,y,class" joined
// by ";", each real in its shortest text that reads back as the same double.
std::string recipe_link_text(const LessonRecipe& recipe);

// Reads that text into `recipe`; fields left out keep their defaults. False, with the reason and
// `recipe` untouched, for an unknown field, a value out of its range or a malformed one.
bool read_recipe_link(std::string_view text, LessonRecipe& recipe, std::string& reason);

// A click at (x, y) of the map, each 0 to 1, as a drawn point on a grid of thousandths, so
// that the link's text holds it in a few digits.
DrawnPoint drawn_point_at(double x, double y, int category);

#endif
