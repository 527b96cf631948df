// The generation line and the evolved file's free text, with numbers that keep a full stop.
#include "creature_evolution/evolution_report.h"

#include "tool_support/number_text.h"

std::string generation_line(const GenerationResult& result)
{
    return "generation " + std::to_string(result.generation) + ": best " + fixed_text(result.best, 3) + ", mean " +
           fixed_text(result.mean, 3) + ", best so far " + fixed_text(result.best_so_far, 3);
}

std::string evolved_comment(const EvolutionRequest& request, int generation, double score)
{
    const std::string behaviour = behaviour_name(request.behaviour);
    return "Evolved by creature_lab to " + behaviour + " the spotlight: seed " + std::to_string(request.seed) +
           ", population " + std::to_string(request.population) + ", written after generation " +
           std::to_string(generation) + " of " + std::to_string(request.generations) + ".\n" +
           "Its score (creature_lab score --behaviour " + behaviour + " --frames " + std::to_string(request.frames) +
           " --seed " + std::to_string(request.seed) + ") is " + fixed_text(score, 3) + ".\n" +
           "Watch it: press L in creature_sim and pick this file, or copy it to config_generated.txt.";
}
