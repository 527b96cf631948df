// The page's evolution: creature_lab evolve with its defaults, one generation at a time on the
// page's one thread, its lines and files in creature_lab's words.
#ifndef WEB_EVOLUTION_SESSION_H
#define WEB_EVOLUTION_SESSION_H

#include "creature_evolution/evolution.h"
#include "creature_evolution/evolution_report.h"

#include <memory>
#include <string>

class EvolutionSession {
public:
    // A new evolution of a 3-8-4 network; the reason when the arguments are out of
    // creature_lab's ranges (the evolution before it then goes on), else empty.
    std::string start(const std::string& behaviour, double population, double generations, double seed);
    // Breeds, scores and selects the next generation; false when every generation asked for
    // has run, or none was started.
    bool next();
    bool finished() const { return !evolution || last.generation >= request.generations; }

    const GenerationResult& result() const { return last; }
    // The file creature_lab evolve has written after the last generation run.
    std::string best_text() const;
    // The last generation's best network, to watch it drive.
    std::string generation_best_text() const { return evolution ? evolution->generation_best_text() : ""; }

private:
    EvolutionRequest request;
    SerialScoring scoring;
    std::unique_ptr<Evolution> evolution;
    GenerationResult last;
};

#endif
