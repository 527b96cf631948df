// Random completion: every computing neuron gets one connection from each neuron of the
// layer before it; the missing ones get weights drawn evenly from -max_weight to +max_weight.
#include "engine/network.h"

#include "engine/random_source.h"

#include <ctime>
#include <new>

bool Network::fill_random_weights()
{
    return complete_weights(static_cast<unsigned>(std::time(nullptr)));
}

bool Network::fill_random_weights(unsigned seed)
{
    return complete_weights(seed);
}

bool Network::complete_weights(unsigned seed)
{
    // A completion that does not fit in memory leaves no half-completed network behind.
    try {
        add_missing_weights(seed);
        make_fast_form();
    } catch (const std::bad_alloc&) {
        refuse_network();
        return false;
    }
    return true;
}

void Network::add_missing_weights(unsigned seed)
{
    if (layer_count() <= 1)
        return;
    RandomSource random(seed);

    // The reader only keeps networks whose layers add up to the neuron list, input layer
    // first, so walking layer by layer stays inside the list.
    int first_previous = 0;
    for (int layer = 1; layer < layer_count(); ++layer) {
        const int previous = layer_sizes[layer - 1];
        const int first = first_previous + previous;
        for (int position = first; position < first + layer_sizes[layer]; ++position) {
            Neuron& neuron = neurons[position];
            if (!neuron.is_computing)
                continue;
            const int present = static_cast<int>(neuron.connections.size());
            if (present >= previous)
                continue;
            neuron.connections.reserve(static_cast<std::size_t>(previous));
            for (int source = first_previous + present; source < first_previous + previous; ++source) {
                const int r = random.next();
                const double weight = neuron.max_weight * (1.0 - 2.0 * r / RandomSource::max_value);
                neuron.add_connection(source, weight);
            }
        }
        first_previous = first;
    }
}
