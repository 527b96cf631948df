// net_train running short of memory at each of its allocations in turn, from reading the
// files to replacing the output: a shortage ends the run with 71 or is absorbed without a
// trace in the result, and the output file is whole, the old one or the one the run writes.
#include "tests/net_train/tool_files.h"

#include "tests/support/counting_allocator.h"

#include <gtest/gtest.h>

namespace {

// Slopes differ between the layers, which the file format cannot hold, so that
// --write-nearest writes the network that the trained one's text reads back as.
const char* const mixed_slopes_text =
    "input_layer: 2\nslope_parameter: 0.7\ncomp_layer: 2\nweights: 0.5 -0.25\nweights: 1 0.75\nslope_parameter: 0.3\n"
    "comp_layer: 1\nweights: 2 -1.5\npattern: 0 1 -> 1\npattern: 1 0 -> 0\nmax_iterations: 1\nerror_limit: 1\n";

}  // namespace

TEST(NetTrainMemoryShortage, EveryShortageEndsWith71OrLeavesNoTrace)
{
    const TempDir directory;
    const std::string input = directory.write("n.txt", mixed_slopes_text);
    const std::string output = directory.file("out.txt");
    const std::string old_text = "the user's earlier network\n";
    for (const bool nearest : {true, false}) {
        SCOPED_TRACE(nearest ? "--write-nearest" : "exact");
        std::vector<std::string> arguments = {input, "--seed", "1", "-o", output};
        if (nearest)
            arguments.push_back("--write-nearest");
        directory.write("out.txt", old_text);
        const Outcome plenty = run(arguments);
        const std::string written = read_text_file(output);
        ASSERT_EQ(plenty.status, nearest ? exit_success : exit_format_cannot_hold) << plenty.err;
        ASSERT_EQ(written == old_text, !nearest);
        bool fired = true;
        long long allowed = 0;
        for (; fired; ++allowed) {
            directory.write("out.txt", old_text);
            std::ostringstream out;
            std::ostringstream err;
            int status = 0;
            {
                const AllocationFailure shortage(allowed);
                status = run_net_train(arguments, out, err, NetTrainSettings{});
                fired = shortage.fired();
            }
            SCOPED_TRACE("allocation " + std::to_string(allowed) + " failed: " + err.str());
            const std::string found = read_text_file(output);
            if (status == exit_out_of_memory && found != written) {
                ASSERT_EQ(found, old_text);
                continue;
            }
            if (status != exit_out_of_memory) {
                ASSERT_EQ(status, plenty.status);
                ASSERT_EQ(found, written);
            }
        }
        EXPECT_GT(allowed, 1);
    }
}
