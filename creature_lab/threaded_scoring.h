// creature_lab's scoring of a generation on several threads, one world each; the scores are
// those of one thread.
#ifndef CREATURE_LAB_THREADED_SCORING_H
#define CREATURE_LAB_THREADED_SCORING_H

#include "creature_evolution/evolution.h"

#include <memory>
#include <vector>

class ThreadedScoring : public ScoringRunner {
public:
    explicit ThreadedScoring(int threads);
    void run(std::size_t count, const std::function<void(World&, std::size_t)>& score) override;

private:
    std::vector<std::unique_ptr<World>> worlds;  // one per thread
};

#endif
