// Training in chunks of passes, so that a caller can show progress between them, with the
// same weights, result and pass count as one uninterrupted training run.
#ifndef NET_TRAIN_CHUNKED_TRAINING_H
#define NET_TRAIN_CHUNKED_TRAINING_H

#include <functional>

class Network;

// Called between two chunks with the passes made so far and the size of the chunk just
// made; returns the size of the next chunk (values below 1 count as 1).
using ChunkCallback = std::function<int(int passes_done, int last_chunk)>;

// Trains `network` on the patterns it holds, as `network.train(nullptr)` does with its
// `max_iterations`, but in chunks: the first of `first_chunk` passes. Returns the TrainResult
// and leaves `iterations_done` and `max_iterations` as the single run would.
int train_in_chunks(Network& network, int first_chunk, const ChunkCallback& between_chunks);

// How far the network is from its patterns, over every output of every pattern it holds.
struct PatternErrors {
    double worst = 0.0;         // largest |expected - computed|; NaN when a difference is not a number
    double mean_squared = 0.0;  // mean of (expected - computed)^2
};

// Both errors; 0 without patterns. Evaluates the network once per pattern and changes nothing else.
PatternErrors pattern_errors(Network& network);
// The largest |expected - computed| alone, as pattern_errors gives it.
double worst_error(Network& network);

#endif
