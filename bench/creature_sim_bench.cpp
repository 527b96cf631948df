// creature_sim's per-frame work on a memory bitmap (spotlight update and draw, creature step
// and draw, clearing the buffer) at radius 64 and at the radius ceiling, one sprite rebuild
// at the ceiling, and the world's frames per second drawn and read from the sprite.
#include "creature_world/creature.h"
#include "creature_world/scene_colors.h"
#include "creature_world/pixel_sensing.h"
#include "creature_world/scene_drawing.h"
#include "creature_world/spotlight.h"
#include "creature_world/world.h"
#include "engine/network.h"
#include "program_shell/bitmap_ptr.h"
#include "program_shell/start_up.h"

#include <allegro.h>
#include <benchmark/benchmark.h>

namespace {

void frame_work(benchmark::State& state)
{
    if (!start_headless_graphics()) {
        state.SkipWithError("cannot start the library without a display");
        return;
    }
    BitmapPtr buffer(create_bitmap(640, 480));
    clear_bitmap(buffer.get());
    Creature creature(640, 480, light_base_color, NC_DEFAULT_NETWORK);
    if (creature.network_not_3_in_4_out) {
        state.SkipWithError("the default network cannot be read");
        return;
    }
    Spotlight spotlight(640, 480, light_base_color);
    spotlight.radius = static_cast<int>(state.range(0));
    spotlight.update();  // the sprite for this radius is built once, outside the timing
    for (auto _ : state) {
        spotlight.update();
        draw_spotlight(buffer.get(), spotlight);
        step_on_target(creature, buffer.get());
        draw_creature(buffer.get(), creature);
        clear_bitmap(buffer.get());
    }
    state.counters["radius"] = spotlight.radius;
}
BENCHMARK(frame_work)->Arg(64)->Arg(Spotlight::max_radius)->Unit(benchmark::kMicrosecond);

void sprite_rebuild_at_ceiling(benchmark::State& state)
{
    Spotlight spotlight(640, 480, light_base_color);
    spotlight.radius = Spotlight::max_radius;
    for (auto _ : state) {
        LightSprite sprite = spotlight.make_sprite();
        benchmark::DoNotOptimize(sprite.pixels.data());
    }
}
BENCHMARK(sprite_rebuild_at_ceiling)->Unit(benchmark::kMillisecond);

// Simulated frames per second of one world on one core, the follower in the start-up drift.
template <bool drawn>
void world_frames(benchmark::State& state)
{
    if (!start_headless_graphics()) {
        state.SkipWithError("cannot start the library without a display");
        return;
    }
    const Network network(NC_FOLLOWER_NETWORK);
    World world(network);
    BitmapPtr arena(create_bitmap(World::width, World::height));
    clear_bitmap(arena.get());
    if (world.creature.network_not_3_in_4_out) {
        state.SkipWithError("the follower network cannot be read");
        return;
    }
    for (auto _ : state) {
        if (drawn)
            step_drawn(world, arena.get());
        else
            world.step_sensed();
        benchmark::DoNotOptimize(world.creature.x);
    }
    state.counters["frames_per_second"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK_TEMPLATE(world_frames, true)->Name("world_frames_drawn");
BENCHMARK_TEMPLATE(world_frames, false)->Name("world_frames_sensed_from_sprite");

}  // namespace

BENCHMARK_MAIN();
