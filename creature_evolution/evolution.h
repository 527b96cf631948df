// Evolving a creature's weights with a (mu, lambda) evolution strategy with one self-adapted
// step size per individual: each generation lambda offspring are mutated from mu parents,
// scored in worlds of their own, and the best mu become the next parents.
#ifndef CREATURE_EVOLUTION_EVOLUTION_H
#define CREATURE_EVOLUTION_EVOLUTION_H

#include "creature_evolution/creature_network.h"
#include "creature_evolution/portable_random.h"
#include "creature_evolution/scoring.h"

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

// The sizes creature_lab evolve and the page accept, and their defaults.
constexpr int smallest_population = 4;
constexpr int largest_population = 100000;
constexpr int default_population = 60;
constexpr int largest_generations = 1000000;
constexpr int default_generations = 200;
constexpr int default_hidden = 8;
constexpr int default_frames = 1000;

struct EvolutionSettings {
    NetworkShape shape;
    std::vector<double> start_weights;  // empty: random start weights
    ScoreSettings scoring;
    int population = default_population;  // lambda, the offspring per generation
};

// Runs score(world, index) for every index below `count`, each in one of the runner's worlds.
// Each score places everything anew, so the scores do not depend on which world ran them.
class ScoringRunner {
public:
    virtual ~ScoringRunner() = default;
    virtual void run(std::size_t count, const std::function<void(World&, std::size_t)>& score) = 0;
};

// One world, one offspring after the other: for a page, which has no threads.
class SerialScoring : public ScoringRunner {
public:
    SerialScoring();
    void run(std::size_t count, const std::function<void(World&, std::size_t)>& score) override;

private:
    World world;
};

struct GenerationResult {
    int generation = 0;  // from 1
    double best = 0.0;   // best offspring's score
    double mean = 0.0;   // mean offspring score
    double best_so_far = 0.0;
};

class Evolution {
public:
    // Scores in `scoring`'s worlds, which must outlive it. Start weights are scored at once
    // and are the best so far until an offspring scores higher.
    Evolution(const EvolutionSettings& settings, ScoringRunner& scoring);

    // Breeds, scores and selects one generation.
    GenerationResult next_generation();

    // The network file of the best individual so far, `comment` as its opening free text.
    std::string best_text(const std::string& comment) const;
    double best_score() const { return best_so_far; }
    // The network file of the last generation's best offspring, without free text.
    std::string generation_best_text() const;

private:
    struct Individual {
        std::vector<double> weights;
        double step = 1.0;  // the mutation's standard deviation
        double score = 0.0;
    };

    Individual offspring_of(const Individual& parent);
    void score_all(std::vector<Individual>& offspring);
    double score_weights(World& world, std::vector<double>& weights) const;

    EvolutionSettings settings;
    ScoringRunner& scoring;
    PortableRandom random;
    std::vector<Individual> parents;
    int generation = 0;
    double weight_bound;  // no weight grows beyond it either way
    double best_so_far;
    std::vector<double> best_weights;
};

#endif
