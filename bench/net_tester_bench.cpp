// One frame of net_tester's work, evaluating the network and drawing it whole on an 800 x 600
// memory bitmap, for a small, a deep and a wide network.
#include "bench/bench_networks.h"
#include "network_view/network_view.h"

#include <allegro.h>
#include <benchmark/benchmark.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <unistd.h>
#include <vector>

namespace {

struct BitmapDeleter {
    void operator()(BITMAP* bitmap) const { destroy_bitmap(bitmap); }
};

// Allegro without a display, once per process: memory bitmaps and the built-in font.
bool start_headless_allegro()
{
    static const bool started = install_allegro(SYSTEM_NONE, &errno, atexit) == 0;
    if (started)
        set_color_depth(8);
    return started;
}

// A fully connected view with random weights, built through a temporary file.
std::unique_ptr<NetworkView> make_view(const std::vector<int>& layers)
{
    char path[] = "/tmp/nc_bench_XXXXXX";
    const int descriptor = mkstemp(path);
    if (descriptor < 0)
        return nullptr;
    close(descriptor);
    {
        std::ofstream file(path);
        file << layer_records(layers);
    }
    auto view = std::make_unique<NetworkView>(path, 800, 600);
    std::remove(path);
    return view;
}

void frame(benchmark::State& state, const std::vector<int>& layers)
{
    if (!start_headless_allegro()) {
        state.SkipWithError("cannot install Allegro without a display");
        return;
    }
    std::unique_ptr<BITMAP, BitmapDeleter> buffer(create_bitmap(800, 600));
    std::unique_ptr<NetworkView> view = make_view(layers);
    if (!buffer || !view || view->neuron_count() == 0) {
        state.SkipWithError("cannot build the view or the back buffer");
        return;
    }
    std::vector<double> inputs(static_cast<std::size_t>(view->input_count()), 0.5);
    view->set_inputs(inputs);

    long long connections = 0;
    for (int i = 0; i < view->neuron_count(); ++i)
        connections += static_cast<long long>(view->neuron(i).connections.size());

    for (auto _ : state) {
        view->evaluate();
        view->draw(buffer.get(), -1);
        clear_bitmap(buffer.get());
    }
    benchmark::DoNotOptimize(getpixel(buffer.get(), 0, 0));
    state.counters["neurons"] = view->neuron_count();
    state.counters["connections"] = static_cast<double>(connections);
    state.counters["frames_per_second"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

}  // namespace

BENCHMARK_CAPTURE(frame, 2-2-1, std::vector<int>{2, 2, 1})->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(frame, 10_layers_of_10, std::vector<int>(10, 10))->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(frame, 784-100-10, std::vector<int>{784, 100, 10})->Unit(benchmark::kMillisecond);
