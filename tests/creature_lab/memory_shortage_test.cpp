// creature_lab evolve running short of memory at each of its allocations in turn: a shortage
// ends the run with 71 or is absorbed without a trace, and the output file is whole.
#include "creature_lab/creature_lab.h"

#include "tests/support/counting_allocator.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <sstream>

TEST(LabMemoryShortage, EveryShortageEndsWith71OrLeavesNoTrace)
{
    const TempDir directory;
    const std::string output = directory.file("evolved.txt");
    const std::string old_text = "the user's earlier creature\n";
    const std::vector<std::string> arguments = {"evolve", "--behaviour", "flee", "-o", output, "--population", "4",
                                                "--generations", "1", "--frames", "3", "--threads", "1"};
    const auto run = [&arguments](std::string& err) {
        std::ostringstream out;
        std::ostringstream errors;
        const int status = run_creature_lab(arguments, out, errors, CreatureLabSettings{});
        err = errors.str();
        return status;
    };
    directory.write("evolved.txt", old_text);
    std::string err;
    const int plenty = run(err);
    const std::string written = read_text_file(output);
    ASSERT_EQ(plenty, 0) << err;
    bool fired = true;
    long long allowed = 0;
    for (; fired; ++allowed) {
        directory.write("evolved.txt", old_text);
        int status = 0;
        {
            const AllocationFailure shortage(allowed);
            status = run(err);
            fired = shortage.fired();
        }
        SCOPED_TRACE("allocation " + std::to_string(allowed) + " failed: " + err);
        const std::string found = read_text_file(output);
        if (status == 71 && found != written) {
            ASSERT_EQ(found, old_text);
            continue;
        }
        if (status != 71) {
            ASSERT_EQ(status, plenty);
            ASSERT_EQ(found, written);
        }
    }
    EXPECT_GT(allowed, 1);
}
