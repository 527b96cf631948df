// Peak memory of the largest networks a file may describe: loading each, then one training
// pass, each shape in a child process of its own so that every peak is its own.
//   largest_network_memory
#include "bench/bench_networks.h"
#include "engine/network.h"

#include <cstdio>
#include <string>
#include <vector>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

struct Shape {
    const char* name;
    int inputs;
    int outputs;
};

// Both stay within the limits: 5477 x 5477 connections, and 30 x 999970 with a million neurons.
const Shape shapes[] = {
    {"square 5477 x 5477", 5477, 5477},
    {"thin 30 x 999970", 30, 999970},
};

constexpr double bytes_per_gib = 1024.0 * 1024.0 * 1024.0;

double peak_gib()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) * 1024.0 / bytes_per_gib;  // ru_maxrss is in KiB
}

void measure(const Shape& shape)
{
    Network network = Network::from_text(layer_records({shape.inputs, shape.outputs}));
    if (network.neuron_count() == 0) {
        std::printf("%-20s refused\n", shape.name);
        return;
    }
    const double loaded = peak_gib();
    network.add_pattern({std::vector<double>(static_cast<std::size_t>(shape.inputs), 0.5),
                         std::vector<double>(static_cast<std::size_t>(shape.outputs), 0.5)});
    network.error_limit = -1.0;
    network.max_iterations = 1;
    network.train(nullptr);
    std::printf("%-20s peak after loading %.2f GiB, after one training pass %.2f GiB\n", shape.name, loaded,
                peak_gib());
}

}  // namespace

int main()
{
    for (const Shape& shape : shapes) {
        std::fflush(stdout);
        const pid_t child = fork();
        if (child == 0) {
            measure(shape);
            std::fflush(stdout);
            _exit(0);
        }
        int status = 0;
        if (child < 0 || waitpid(child, &status, 0) < 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
            std::printf("%-20s could not be measured\n", shape.name);
    }
    return 0;
}
