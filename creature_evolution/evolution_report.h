// What an evolution says in words, the same in creature_lab evolve and the page: each
// generation's line and the free text that opens the evolved network's file.
#ifndef CREATURE_EVOLUTION_EVOLUTION_REPORT_H
#define CREATURE_EVOLUTION_EVOLUTION_REPORT_H

#include "creature_evolution/evolution.h"

#include <string>

// What was asked of an evolution, as its file's free text names it.
struct EvolutionRequest {
    Behaviour behaviour = Behaviour::follow;
    unsigned seed = 1;
    int population = default_population;
    int generations = default_generations;
    int frames = default_frames;
};

// "generation 3: best 41.250, mean 20.118, best so far 41.250"
std::string generation_line(const GenerationResult& result);

// The evolved file's free text after `generation` generations with the best score `score`.
std::string evolved_comment(const EvolutionRequest& request, int generation, double score);

#endif
