// creature_sim's per-frame work on a memory bitmap (spotlight update and draw, creature step
// and draw, clearing the buffer) at radius 64 and at the radius ceiling, and one sprite
// rebuild at the ceiling.
#include "program_shell/bitmap_ptr.h"
#include "creature_sim/creature.h"
#include "creature_sim/scene_colors.h"
#include "creature_sim/spotlight.h"

#include <allegro.h>
#include <benchmark/benchmark.h>

namespace {

bool start_headless_library()
{
    static const bool started = [] {
        const bool ok = install_allegro(SYSTEM_NONE, &errno, atexit) == 0;
        set_color_depth(8);
        return ok;
    }();
    return started;
}

void frame_work(benchmark::State& state)
{
    if (!start_headless_library()) {
        state.SkipWithError("cannot start the library without a display");
        return;
    }
    BitmapPtr buffer(create_bitmap(640, 480));
    clear_bitmap(buffer.get());
    Creature creature(buffer.get(), sensor_inner_color, sensor_outer_color, light_base_color,
                      NC_DEFAULT_NETWORK);
    if (creature.network_incorrect) {
        state.SkipWithError("the default network cannot be read");
        return;
    }
    Spotlight spotlight(buffer.get(), light_base_color);
    spotlight.radius = static_cast<int>(state.range(0));
    spotlight.update();  // the sprite for this radius is built once, outside the timing
    for (auto _ : state) {
        spotlight.update();
        spotlight.draw();
        creature.step();
        creature.draw();
        clear_bitmap(buffer.get());
    }
    state.counters["radius"] = spotlight.radius;
}
BENCHMARK(frame_work)->Arg(64)->Arg(Spotlight::max_radius)->Unit(benchmark::kMicrosecond);

void sprite_rebuild_at_ceiling(benchmark::State& state)
{
    if (!start_headless_library()) {
        state.SkipWithError("cannot start the library without a display");
        return;
    }
    BitmapPtr buffer(create_bitmap(640, 480));
    Spotlight spotlight(buffer.get(), light_base_color);
    spotlight.radius = Spotlight::max_radius;
    for (auto _ : state) {
        BitmapPtr sprite = spotlight.make_sprite();
        benchmark::DoNotOptimize(sprite.get());
    }
}
BENCHMARK(sprite_rebuild_at_ceiling)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
