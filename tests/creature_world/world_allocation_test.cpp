// Stepping the world allocates nothing: every frame, drawn or sensed, reuses the lists, the
// sprite and the arena made before the first frame.
#include "creature_world/world.h"

#include "creature_world/pixel_sensing.h"
#include "program_shell/start_up.h"
#include "tests/support/headless_allegro.h"

#include "engine/network.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <new>
#include <string>

namespace {

long long allocations = 0;

}  // namespace

void* operator new(std::size_t size)
{
    void* memory = std::malloc(size == 0 ? 1 : size);
    if (memory == nullptr)
        throw std::bad_alloc();
    ++allocations;
    return memory;
}

// Kept out of line: inlined, their free() would look to the compiler like a mismatch with new.
__attribute__((noinline)) void operator delete(void* memory) noexcept
{
    std::free(memory);
}

__attribute__((noinline)) void operator delete(void* memory, std::size_t) noexcept
{
    std::free(memory);
}

namespace {

TEST(WorldAllocation, StepsAllocateNothing)
{
    ASSERT_TRUE(start_headless_graphics());
    const Network network((std::string(EXAMPLES_DIR) + "/follower.txt").c_str());
    World world(network);
    MemoryBitmap arena = make_bitmap(World::width, World::height);
    ASSERT_FALSE(world.creature.network_not_3_in_4_out);
    const long long before = allocations;
    for (int frame = 0; frame < 50; ++frame) {
        step_drawn(world, arena.get());
        world.step_sensed();
    }
    EXPECT_EQ(allocations, before);
}

}  // namespace
