// Fuzz target: any bytes as a CSV table of patterns, read from a file for a network whose
// input and output counts the first two bytes choose. Every pattern kept fits the network and
// has its line; the count of refused rows is never negative.
#include "tests/fuzz/fuzz_support.h"

#include "engine/csv_patterns.h"
#include "engine/diagnostics.h"
#include "engine/network.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace {

constexpr int most_inputs = 4;
constexpr int most_outputs = 4;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2)
        return -1;
    const int inputs = 1 + data[0] % most_inputs;
    const int outputs = 1 + data[1] % most_outputs;
    Network network = Network::from_text("input_layer: " + std::to_string(inputs) + "\ncomp_layer: " +
                                         std::to_string(outputs) + "\n");
    network.fill_random_weights(1);
    const std::string table = write_input(data + 2, size - 2, "table.csv");

    Diagnostics diagnostics;
    const int refused = read_csv_patterns(network, table.c_str(), &diagnostics);
    if (refused < 0)
        fuzz_failure("the CSV reader returned a negative count");
    if (!network.patterns_fit())
        fuzz_failure("the CSV reader kept a pattern that does not fit the network");
    if (diagnostics.pattern_lines.size() != static_cast<std::size_t>(network.pattern_count()))
        fuzz_failure("a pattern without its line number");
    for (std::size_t index = 1; index < diagnostics.pattern_lines.size(); ++index) {
        if (diagnostics.pattern_lines[index] <= diagnostics.pattern_lines[index - 1])
            fuzz_failure("pattern lines out of order");
    }
    for (const Diagnostic& entry : diagnostics.entries) {
        if (entry.line < 1)
            fuzz_failure("a note on an opened table without its line");
    }
    return 0;
}
