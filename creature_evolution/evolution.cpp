// Breeding, scoring and selection of the evolution strategy.
#include "creature_evolution/evolution.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

namespace {

// Random start weights lie evenly within this bound; the first steps are this large.
constexpr double random_start_bound = 10.0;
constexpr double random_start_step = 4.0;
// A start network is already good: search near it first.
constexpr double given_start_step = 0.5;
constexpr double smallest_step = 1e-4;
constexpr double largest_step = 20.0;
// Weights may grow this large at least, so that outputs can saturate.
constexpr double smallest_weight_bound = 60.0;

}  // namespace

SerialScoring::SerialScoring() : world(Network(nullptr)) {}

void SerialScoring::run(std::size_t count, const std::function<void(World&, std::size_t)>& score)
{
    for (std::size_t index = 0; index < count; ++index)
        score(world, index);
}

Evolution::Evolution(const EvolutionSettings& settings, ScoringRunner& scoring)
    : settings(settings), scoring(scoring), random(settings.scoring.seed),
      best_so_far(-std::numeric_limits<double>::infinity())
{
    // A start network keeps its largest weights within reach.
    weight_bound = std::max(settings.shape.max_weight, smallest_weight_bound);
    for (double weight : settings.start_weights)
        weight_bound = std::max(weight_bound, std::fabs(weight));

    const int parent_count = std::max(1, settings.population / 4);
    const std::size_t weight_count = settings.shape.weight_count();
    for (int index = 0; index < parent_count; ++index) {
        Individual parent;
        if (settings.start_weights.empty()) {
            parent.weights.resize(weight_count);
            for (double& weight : parent.weights)
                weight = random_start_bound * (2.0 * random.uniform() - 1.0);
            parent.step = random_start_step;
        } else {
            parent.weights = settings.start_weights;
            parent.step = given_start_step;
        }
        parents.push_back(std::move(parent));
    }
    // The start network is a candidate too, so that no generation writes a worse one over it.
    if (!settings.start_weights.empty()) {
        best_weights = settings.start_weights;
        scoring.run(1, [&](World& world, std::size_t) { best_so_far = score_weights(world, best_weights); });
    }
}

Evolution::Individual Evolution::offspring_of(const Individual& parent)
{
    // The usual learning rate of a single self-adapted step: 1 / sqrt(2 n).
    const double learning_rate =
        1.0 / std::sqrt(2.0 * static_cast<double>(std::max<std::size_t>(1, parent.weights.size())));
    Individual child;
    child.step = std::clamp(parent.step * std::exp(learning_rate * random.normal()), smallest_step, largest_step);
    child.weights = parent.weights;
    for (double& weight : child.weights)
        weight = std::clamp(weight + child.step * random.normal(), -weight_bound, weight_bound);
    return child;
}

double Evolution::score_weights(World& world, std::vector<double>& weights) const
{
    // Scored as read back from its file text, so that the written file scores the same.
    const Network network = network_from_text(network_text(settings.shape, weights, ""));
    weights = weights_of(network);
    world.creature.use_network(network);
    return total_of(measure_world(world, settings.scoring)).score;
}

void Evolution::score_all(std::vector<Individual>& offspring)
{
    scoring.run(offspring.size(), [&](World& world, std::size_t index) {
        offspring[index].score = score_weights(world, offspring[index].weights);
    });
}

GenerationResult Evolution::next_generation()
{
    std::vector<Individual> offspring;
    offspring.reserve(static_cast<std::size_t>(settings.population));
    // Intermediate recombination: every offspring starts from the parents' mean.
    Individual centre;
    centre.weights.assign(parents[0].weights.size(), 0.0);
    double log_step = 0.0;
    for (const Individual& parent : parents) {
        for (std::size_t k = 0; k < centre.weights.size(); ++k)
            centre.weights[k] += parent.weights[k] / static_cast<double>(parents.size());
        log_step += std::log(parent.step) / static_cast<double>(parents.size());
    }
    centre.step = std::exp(log_step);
    for (int index = 0; index < settings.population; ++index)
        offspring.push_back(offspring_of(centre));
    score_all(offspring);

    std::vector<std::size_t> order(offspring.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return offspring[a].score > offspring[b].score; });

    GenerationResult result;
    result.generation = ++generation;
    result.best = offspring[order[0]].score;
    double sum = 0.0;
    for (const Individual& child : offspring)
        sum += child.score;
    result.mean = sum / static_cast<double>(offspring.size());
    if (result.best > best_so_far) {
        best_so_far = result.best;
        best_weights = offspring[order[0]].weights;
    }
    result.best_so_far = best_so_far;

    std::vector<Individual> selected;
    for (std::size_t rank = 0; rank < parents.size(); ++rank)
        selected.push_back(std::move(offspring[order[rank]]));
    parents = std::move(selected);
    return result;
}

std::string Evolution::best_text(const std::string& comment) const
{
    return network_text(settings.shape, best_weights, comment);
}

std::string Evolution::generation_best_text() const
{
    // Selection puts the generation's best offspring first among the parents.
    return network_text(settings.shape, parents[0].weights, "");
}
