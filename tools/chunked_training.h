// Training in chunks of passes, so that a caller can show progress between them, with the
// same weights, result and pass count as one uninterrupted training run.
#ifndef TOOLS_CHUNKED_TRAINING_H
#define TOOLS_CHUNKED_TRAINING_H

#include <functional>

class Network;

// Called between two chunks with the passes made so far and the size of the chunk just
// made; returns the size of the next chunk (values below 1 count as 1).
using ChunkCallback = std::function<int(int passes_done, int last_chunk)>;

// Trains `network` on the patterns it holds, as `network.train(nullptr)` does with its
// `max_iterations`, but in chunks: the first of `first_chunk` passes. Returns the TrainResult
// and leaves `iterations_done` and `max_iterations` as the single run would.
int train_in_chunks(Network& network, int first_chunk, const ChunkCallback& between_chunks);

// The largest |expected - computed| over every output of every pattern the network holds;
// 0 without patterns, NaN when a difference is not a number.
double worst_error(Network& network);

#endif
