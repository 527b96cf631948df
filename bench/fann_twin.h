// What the comparisons with FANN share: thread CPU time, medians, and a FANN network that
// computes the same function as one of ours (when FANN was found at build time).
#ifndef BENCH_FANN_TWIN_H
#define BENCH_FANN_TWIN_H

#include "engine/network.h"

#include <algorithm>
#include <ctime>
#include <vector>

#ifdef HAVE_FANN
#include <doublefann.h>
#endif

inline double thread_seconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

inline double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

#ifdef HAVE_FANN
// A FANN network with our weights: FANN's steepness is half our slope and its bias weight is
// minus our threshold. Incremental training with our learning rate, no momentum, and the
// plain difference as the error, as ours.
inline struct fann* make_fann(const Network& network, const std::vector<int>& layers)
{
    std::vector<unsigned> sizes(layers.begin(), layers.end());
    struct fann* ann = fann_create_standard_array(static_cast<unsigned>(sizes.size()), sizes.data());
    fann_set_activation_function_hidden(ann, FANN_SIGMOID);
    fann_set_activation_function_output(ann, FANN_SIGMOID);
    fann_set_activation_steepness_hidden(ann, network.slope_parameter() / 2.0);
    fann_set_activation_steepness_output(ann, network.slope_parameter() / 2.0);
    fann_set_training_algorithm(ann, FANN_TRAIN_INCREMENTAL);
    fann_set_train_error_function(ann, FANN_ERRORFUNC_LINEAR);
    fann_set_learning_rate(ann, static_cast<float>(network.learning_rate()));
    fann_set_learning_momentum(ann, 0.0f);

    // FANN numbers neurons layer by layer with one bias neuron closing each layer.
    std::vector<int> ours;  // FANN number -> our position, -1 for a bias neuron
    int position = 0;
    for (std::size_t layer = 0; layer < layers.size(); ++layer) {
        for (int i = 0; i < layers[layer]; ++i)
            ours.push_back(position++);
        ours.push_back(-1);
    }
    const unsigned total = fann_get_total_connections(ann);
    std::vector<struct fann_connection> connections(total);
    fann_get_connection_array(ann, connections.data());
    for (struct fann_connection& connection : connections) {
        const Neuron& to = network.neuron(ours[connection.to_neuron]);
        const int from = ours[connection.from_neuron];
        if (from < 0) {
            connection.weight = -to.threshold;
            continue;
        }
        for (const Connection& c : to.connections)
            if (c.source == from)
                connection.weight = c.weight;
    }
    fann_set_weight_array(ann, connections.data(), total);
    return ann;
}
#endif

#endif
