// Evaluation and training allocate nothing per evaluation or per pass: a caller that keeps
// its lists evaluates in every frame without touching the heap. A file asking for a huge
// network is refused before the network is allocated.
#include "engine/network.h"

#include "tests/engine/network_files.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <new>

namespace {
long long allocations = 0;
long long allocated_bytes = 0;
}

void* operator new(std::size_t size)
{
    ++allocations;
    allocated_bytes += static_cast<long long>(size);
    if (void* memory = std::malloc(size == 0 ? 1 : size))
        return memory;
    throw std::bad_alloc();
}

void operator delete(void* memory) noexcept
{
    std::free(memory);
}

void operator delete(void* memory, std::size_t) noexcept
{
    std::free(memory);
}

TEST(Allocation, EvaluationAllocatesNothing)
{
    Network network = Network::from_text("input_layer: 3\ncomp_layer: 8\ncomp_layer: 4\n");
    const std::vector<double> inputs{0.1, 0.5, 0.9};
    std::vector<double> outputs(4);
    const long long before = allocations;
    for (int frame = 0; frame < 100; ++frame) {
        network.set_inputs(inputs);
        network.evaluate();
        network.get_outputs(outputs);
    }
    EXPECT_EQ(allocations, before);
}

TEST(Allocation, TrainingAllocatesTheSameForOnePassAsForMany)
{
    const std::string path = data_file("or_training.txt");
    Network network(path.c_str());
    ASSERT_EQ(network.read_training_section(path.c_str()), 0);
    network.error_limit = -1.0;

    Network one_pass(network);
    one_pass.max_iterations = 1;
    long long before = allocations;
    one_pass.train(nullptr);
    const long long for_one_pass = allocations - before;

    Network many_passes(network);
    many_passes.max_iterations = 200;
    before = allocations;
    many_passes.train(nullptr);
    EXPECT_EQ(allocations - before, for_one_pass);
    EXPECT_LE(for_one_pass, 1);  // at most the list of outputs
}

TEST(Allocation, HugeLayersAreRefusedBeforeAllocatingThem)
{
    // Two billion input neurons, or ten billion connections, would take hundreds of
    // gigabytes; the layers read before the refused one take a few megabytes.
    const long long before = allocated_bytes;
    expect_empty(Network(data_file("hostile_huge_input_layer.txt").c_str()));
    expect_empty(Network(data_file("hostile_two_huge_layers.txt").c_str()));
    EXPECT_LT(allocated_bytes - before, 64LL << 20);
}
