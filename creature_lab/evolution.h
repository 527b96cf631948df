// Evolving a creature's weights with a (mu, lambda) evolution strategy with one self-adapted
// step size per individual: each generation lambda offspring are mutated from mu parents,
// scored in worlds of their own on several threads, and the best mu become the next parents.
#ifndef CREATURE_LAB_EVOLUTION_H
#define CREATURE_LAB_EVOLUTION_H

#include "creature_lab/lab_network.h"
#include "creature_lab/lab_random.h"
#include "creature_lab/scoring.h"

#include <memory>
#include <string>
#include <vector>

struct EvolutionSettings {
    NetworkShape shape;
    std::vector<double> start_weights;  // empty: random start weights
    ScoreSettings scoring;
    int population = 60;  // lambda, the offspring per generation
    int threads = 1;      // the results do not depend on it
};

struct GenerationResult {
    int generation = 0;  // from 1
    double best = 0.0;   // best offspring's score
    double mean = 0.0;   // mean offspring score
    double best_so_far = 0.0;
};

class Evolution {
public:
    // Needs start_headless_graphics(): builds one world per thread. Start weights are scored
    // at once and are the best so far until an offspring scores higher.
    explicit Evolution(const EvolutionSettings& settings);
    ~Evolution();

    // Breeds, scores and selects one generation.
    GenerationResult next_generation();

    // The network file of the best individual so far, `comment` as its opening free text.
    std::string best_text(const std::string& comment) const;
    double best_score() const { return best_so_far; }

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
    LabRandom random;
    std::vector<std::unique_ptr<World>> worlds;  // one per thread
    std::vector<Individual> parents;
    int generation = 0;
    double weight_bound;  // no weight grows beyond it either way
    double best_so_far;
    std::vector<double> best_weights;
};

#endif
