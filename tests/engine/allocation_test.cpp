// Evaluation and training allocate nothing per evaluation or per pass: a caller that keeps
// its lists evaluates in every frame without touching the heap. A file asking for a huge
// network is refused before the network is allocated; long pattern lines cost a small
// multiple of their length, and running out of memory while reading is reported, not thrown.
#include "engine/network.h"

#include "engine/diagnostics.h"
#include "tests/engine/network_files.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdlib>
#include <cstdio>
#include <new>

#include <malloc.h>

namespace {

long long allocations = 0;
long long allocated_bytes = 0;
long long live_bytes = 0;
long long peak_live_bytes = 0;
// Allocations that would take the live bytes beyond this fail, as under an address-space limit.
long long live_limit = -1;

// Limits the heap to `extra` bytes beyond what is live now, for the lifetime of the object.
class HeapLimit {
public:
    explicit HeapLimit(long long extra) { live_limit = live_bytes + extra; }
    ~HeapLimit() { live_limit = -1; }
    HeapLimit(const HeapLimit&) = delete;
    HeapLimit& operator=(const HeapLimit&) = delete;
};

// The most bytes live at once while `work` runs, beyond those live before.
template <typename Work>
long long peak_bytes_of(Work work)
{
    const long long before = live_bytes;
    peak_live_bytes = before;
    work();
    return peak_live_bytes - before;
}

}  // namespace

// Live bytes are counted as the allocator's usable size of each block, the same on its way
// in and out.
void* operator new(std::size_t size)
{
    if (live_limit >= 0 && live_bytes + static_cast<long long>(size) > live_limit)
        throw std::bad_alloc();
    void* memory = std::malloc(size == 0 ? 1 : size);
    if (memory == nullptr)
        throw std::bad_alloc();
    ++allocations;
    allocated_bytes += static_cast<long long>(size);
    live_bytes += static_cast<long long>(malloc_usable_size(memory));
    if (live_bytes > peak_live_bytes)
        peak_live_bytes = live_bytes;
    return memory;
}

// Kept out of line: inlined, its free() would look to the compiler like a mismatch with new.
__attribute__((noinline)) void operator delete(void* memory) noexcept
{
    if (memory == nullptr)
        return;
    live_bytes -= static_cast<long long>(malloc_usable_size(memory));
    std::free(memory);
}

void operator delete(void* memory, std::size_t) noexcept
{
    operator delete(memory);
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

TEST(Allocation, BatchEvaluationAllocatesNothing)
{
    constexpr int rows = 7;  // a full group of rows side by side and a part group
    Network network = Network::from_text("input_layer: 3\ncomp_layer: 8\ncomp_layer: 4\n");
    const std::vector<double> inputs(3 * rows, 0.25);
    std::vector<double> outputs(4 * rows);
    const long long before = allocations;
    for (int call = 0; call < 10; ++call)
        ASSERT_TRUE(network.evaluate_batch(inputs.data(), outputs.data(), rows));
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

TEST(Allocation, PatternLineCostsAFewTimesItsLength)
{
    // One pattern of half a million values as short as they come, "1" and "0": a value is 8 bytes.
    std::string line = "pattern:";
    for (int i = 0; i < 500000; ++i)
        line += i % 2 == 0 ? " 1" : " 0";
    const std::string text = "input_layer: 1\n" + line + "\n";
    const TempDir directory;
    const std::string path = directory.write("training.txt", text);
    for (const bool from_file : {true, false}) {
        SCOPED_TRACE(from_file ? "from a file" : "from memory");
        Network network(nullptr);
        const long long peak = peak_bytes_of([&] {
            if (from_file)
                network.read_training_section(path.c_str());
            else
                network.read_training_text(text);
        });
        ASSERT_EQ(network.pattern_count(), 1);
        const double per_character = static_cast<double>(peak) / static_cast<double>(line.size());
        std::printf("peak heap while reading a pattern line %s: %.2f bytes per character\n",
                    from_file ? "from a file" : "from memory", per_character);
        EXPECT_LE(per_character, 5.5);
    }
}

namespace {

std::string notes_of(const Diagnostics& diagnostics)
{
    std::string notes;
    for (const Diagnostic& entry : diagnostics.entries)
        notes += std::to_string(entry.line) + ": " + entry.message + "\n";
    return notes;
}

std::string long_pattern(int values)
{
    std::string line = "pattern:";
    for (int i = 0; i < values; ++i)
        line += " 1";
    return line + "\n";
}

}  // namespace

TEST(Allocation, NetworkThatDoesNotFitInMemoryIsRefusedWithTheLine)
{
    struct Case {
        std::string text;
        const char* note;
    };
    // Neurons of the second layer on line 2; the missing weights, drawn after reading.
    const Case cases[] = {
        {"input_layer: 1\ncomp_layer: 100000\n", "2: the network does not fit in memory; the network is refused\n"},
        {"input_layer: 1000\ncomp_layer: 1000\n", "0: the network does not fit in memory; the network is refused\n"},
    };
    const TempDir directory;
    for (const Case& c : cases) {
        const std::string path = directory.write("network.txt", c.text);
        for (const bool from_file : {true, false}) {
            SCOPED_TRACE(c.text + (from_file ? " from a file" : " from memory"));
            Diagnostics diagnostics;
            diagnostics.entries.reserve(Diagnostics::max_entries);
            int neurons = -1;
            {
                const HeapLimit limit(1 << 20);
                const Network network =
                    from_file ? Network(path.c_str(), &diagnostics) : Network::from_text(c.text, &diagnostics);
                neurons = network.neuron_count();
            }
            EXPECT_EQ(neurons, 0);
            EXPECT_EQ(notes_of(diagnostics), c.note);
            EXPECT_TRUE(diagnostics.has(DiagnosticKind::OutOfMemory));
        }
    }
}

TEST(Allocation, SeededCompletionThatDoesNotFitInMemoryIsReported)
{
    const std::string text = "input_layer: 1000\ncomp_layer: 1000\n";
    const TempDir directory;
    const std::string path = directory.write("network.txt", text);
    for (const bool from_file : {true, false}) {
        SCOPED_TRACE(from_file ? "from a file" : "from memory");
        Diagnostics diagnostics;
        diagnostics.entries.reserve(Diagnostics::max_entries);
        int neurons = -1;
        {
            const HeapLimit limit(1 << 20);
            const Network network = from_file ? Network::from_file(path.c_str(), 5, &diagnostics)
                                              : Network::from_text(text, 5u, &diagnostics);
            neurons = network.neuron_count();
        }
        EXPECT_EQ(neurons, 0);
        EXPECT_EQ(notes_of(diagnostics), "0: the network does not fit in memory; the network is refused\n");
        ASSERT_EQ(diagnostics.entries.size(), 1u);
        EXPECT_EQ(diagnostics.entries[0].kind, DiagnosticKind::OutOfMemory);
    }
    // Completing a network read without its weights says so too.
    Network network(nullptr);
    network.read_network_text(text);
    ASSERT_EQ(network.neuron_count(), 2000);
    bool completed = true;
    {
        const HeapLimit limit(1 << 20);
        completed = network.fill_random_weights(5);
    }
    EXPECT_FALSE(completed);
    EXPECT_EQ(network.neuron_count(), 0);
}

TEST(Allocation, TrainingLineThatDoesNotFitInMemoryEndsTheSectionWithTheLine)
{
    const std::string text = "pattern: 1 -> 0\n" + long_pattern(1000000) + "pattern: 0 -> 1\n";
    const TempDir directory;
    const std::string path = directory.write("training.txt", text);
    // From a file the line itself does not fit; from memory its values do not.
    const struct {
        bool from_file;
        const char* note;
    } cases[] = {
        {true, "2: the line is too long to hold in memory; the training section ends here\n"},
        {false, "2: the line does not fit in memory; the training section ends here\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.from_file ? "from a file" : "from memory");
        Network network(nullptr);
        Diagnostics diagnostics;
        diagnostics.entries.reserve(Diagnostics::max_entries);
        diagnostics.pattern_lines.reserve(16);
        int result = 0;
        {
            const HeapLimit limit(1 << 20);
            result = c.from_file ? network.read_training_section(path.c_str(), &diagnostics)
                                 : network.read_training_text(text, &diagnostics);
        }
        EXPECT_EQ(result, 1);
        EXPECT_EQ(network.pattern_count(), 1);
        EXPECT_EQ(diagnostics.pattern_lines, std::vector<int>{1});
        EXPECT_EQ(notes_of(diagnostics), c.note);
    }
}
