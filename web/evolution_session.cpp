// Starting an evolution from the page's numbers and running it a generation at a time.
#include "web/evolution_session.h"

#include <cmath>

namespace {

constexpr double highest_seed = 4294967295.0;

bool whole_within(double value, double low, double high)
{
    return std::floor(value) == value && value >= low && value <= high;
}

}  // namespace

std::string EvolutionSession::start(const std::string& behaviour, double population, double generations,
                                    double seed)
{
    EvolutionRequest asked;
    if (!behaviour_from_name(behaviour, asked.behaviour))
        return "the behaviour must be follow, flee or circle, not '" + behaviour + "'";
    if (!whole_within(population, smallest_population, largest_population))
        return "the population must be a whole number from " + std::to_string(smallest_population) + " to " +
               std::to_string(largest_population);
    if (!whole_within(generations, 1, largest_generations))
        return "the generations must be a whole number from 1 to " + std::to_string(largest_generations);
    if (!whole_within(seed, 0, highest_seed))
        return "the seed must be a whole number from 0 to 4294967295";
    asked.population = static_cast<int>(population);
    asked.generations = static_cast<int>(generations);
    asked.seed = static_cast<unsigned>(seed);

    EvolutionSettings settings;
    settings.shape = creature_shape(default_hidden);
    settings.scoring.behaviour = asked.behaviour;
    settings.scoring.frames = asked.frames;
    settings.scoring.seed = asked.seed;
    settings.population = asked.population;
    evolution = std::make_unique<Evolution>(settings, scoring);
    request = asked;
    last = GenerationResult();
    return "";
}

bool EvolutionSession::next()
{
    if (finished())
        return false;
    last = evolution->next_generation();
    return true;
}

std::string EvolutionSession::best_text() const
{
    if (!evolution || last.generation == 0)
        return "";
    return evolution->best_text(evolved_comment(request, last.generation, evolution->best_score()));
}
