// Engine speed: evaluation in connections per second, one online training pass in connection
// updates per second, and the load time of a file of about a million weights.
#include "bench/bench_networks.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

std::vector<double> random_values(int count, unsigned seed)
{
    std::srand(seed);
    std::vector<double> values(static_cast<std::size_t>(count));
    for (double& value : values)
        value = std::rand() / static_cast<double>(RAND_MAX);
    return values;
}

const std::vector<std::vector<int>> topologies = {{3, 8, 4}, {64, 128, 128, 10}, {784, 100, 10}};

void evaluation(benchmark::State& state, const std::vector<int>& layers)
{
    Network network = make_network(layers);
    network.set_inputs(random_values(layers.front(), 1));
    for (auto _ : state) {
        network.evaluate();
        benchmark::DoNotOptimize(network.neuron(network.neuron_count() - 1).output);
    }
    state.counters["connections/s"] = benchmark::Counter(
        static_cast<double>(connection_count(network)) * static_cast<double>(state.iterations()),
        benchmark::Counter::kIsRate);
}

// One online pass over 16 patterns; a negative error limit makes the check pass stop at its
// first output, so nearly all the time goes to the training pass. `learn_thresholds` trains
// the thresholds too.
void training_pass(benchmark::State& state, const std::vector<int>& layers, bool learn_thresholds)
{
    Network network = make_network(layers);
    network.learn_thresholds = learn_thresholds;
    const int pattern_total = 16;
    for (int p = 0; p < pattern_total; ++p)
        network.add_pattern({random_values(layers.front(), 10 + p), random_values(layers.back(), 100 + p)});
    network.set_learning_rate_all(0.01);
    network.error_limit = -1.0;
    network.max_iterations = 1;
    for (auto _ : state)
        benchmark::DoNotOptimize(network.train(nullptr));
    state.counters["updates/s"] = benchmark::Counter(
        static_cast<double>(connection_count(network)) * pattern_total * static_cast<double>(state.iterations()),
        benchmark::Counter::kIsRate);
}

void load_million_weights(benchmark::State& state)
{
    char path[] = "/tmp/nc_bench_XXXXXX";
    const int descriptor = mkstemp(path);
    close(descriptor);
    make_network({1000, 1000}).write_network_file(path);
    for (auto _ : state) {
        Network network(path);
        benchmark::DoNotOptimize(network.neuron_count());
    }
    std::ifstream file(path, std::ios::binary | std::ios::ate);
    state.counters["file_MB"] = static_cast<double>(file.tellg()) / 1e6;
    std::remove(path);
}

void register_benchmarks()
{
    for (const std::vector<int>& layers : topologies) {
        benchmark::RegisterBenchmark(("evaluate/" + topology_name(layers)).c_str(), evaluation, layers);
        benchmark::RegisterBenchmark(("train_pass/" + topology_name(layers)).c_str(), training_pass, layers, false);
        benchmark::RegisterBenchmark(("train_pass_learned_thresholds/" + topology_name(layers)).c_str(), training_pass,
                                     layers, true);
    }
    benchmark::RegisterBenchmark("load/1000x1000_weights", load_million_weights)->Unit(benchmark::kMillisecond);
}

}  // namespace

int main(int argc, char** argv)
{
    register_benchmarks();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
