// One frame of net_lab's work on an 800 x 600 memory bitmap: the maps or the pattern table,
// the network, the curve and the figures, paused and while training, for exclusive-or, for
// networks of about 10,000 connections and for one of seven million. frames_per_second
// counts frames of work alone, without the wait for the screen's retrace.
#include "net_lab/lab.h"
#include "net_lab/lab_screen.h"

#include "bench/bench_networks.h"

#include <allegro.h>
#include <benchmark/benchmark.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <unistd.h>

namespace {

bool start_headless_allegro()
{
    static const bool started = install_allegro(SYSTEM_NONE, &errno, atexit) == 0;
    if (started)
        set_color_depth(8);
    return started;
}

// Network records of `layers` with `patterns` random patterns, as a network file's text.
std::string network_text(const std::vector<int>& layers, int patterns)
{
    std::string text = layer_records(layers);
    std::mt19937 random(7);
    std::uniform_int_distribution<int> bit(0, 1);
    for (int p = 0; p < patterns; ++p) {
        text += key_text(FormatKey::Pattern);
        for (int i = 0; i < layers.front(); ++i)
            text += bit(random) ? " 1" : " 0";
        text += " ->";
        for (int o = 0; o < layers.back(); ++o)
            text += bit(random) ? " 1" : " 0";
        text += "\n";
    }
    return text + value_record(FormatKey::MaxIterations, "2000000000") +
           value_record(FormatKey::ErrorLimit, "0.0000001");
}

void frame(benchmark::State& state, const std::vector<int>& layers, bool training)
{
    if (!start_headless_allegro()) {
        state.SkipWithError("cannot install Allegro without a display");
        return;
    }
    char path[] = "/tmp/nc_lab_bench_XXXXXX";
    const int descriptor = mkstemp(path);
    if (descriptor < 0) {
        state.SkipWithError("cannot make a temporary file");
        return;
    }
    close(descriptor);
    std::ofstream(path) << network_text(layers, layers.front() == 2 ? 4 : 20);
    Lab lab;
    load_lab(lab, {path, ""}, 1);
    std::remove(path);
    BITMAP* buffer = create_bitmap(lab_screen_width, lab_screen_height);
    if (buffer == nullptr || lab.stepper.state != TrainingState::Paused) {
        state.SkipWithError("cannot build the lab or the back buffer");
        return;
    }
    if (training)
        lab.stepper.state = TrainingState::Training;
    const LabPresses no_presses;
    const SecondsClock still = [] { return 0.0; };

    for (auto _ : state) {
        run_lab_frame(lab, buffer, no_presses, still);
        clear_bitmap(buffer);
    }
    benchmark::DoNotOptimize(getpixel(buffer, 0, 0));
    destroy_bitmap(buffer);
    state.counters["connections"] = static_cast<double>(connection_count(lab.view()));
    state.counters["map_cells"] = lab.maps.grid * lab.maps.grid;
    state.counters["passes_per_frame"] = training ? passes_per_frame_steps[lab.speed_step] : 0;
    state.counters["frames_per_second"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

}  // namespace

BENCHMARK_CAPTURE(frame, 2-2-1_maps_paused, std::vector<int>{2, 2, 1}, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(frame, 2-2-1_maps_training, std::vector<int>{2, 2, 1}, true)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(frame, 2-100-98-1_maps_paused, std::vector<int>{2, 100, 98, 1}, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(frame, 2-100-98-1_maps_training, std::vector<int>{2, 100, 98, 1}, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(frame, 100-100_table_paused, std::vector<int>{100, 100}, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(frame, 100-100_table_training, std::vector<int>{100, 100}, true)->Unit(benchmark::kMillisecond);
// Seven million connections in a layer of 999,000 neurons: drawn as a column, the frame must
// stay short enough for the keys to be answered.
BENCHMARK_CAPTURE(frame, 3-999000-4_table_paused, std::vector<int>{3, 999000, 4}, false)->Unit(benchmark::kMillisecond);
