// Small network files for net_train's tests, written into a test's own temporary directory,
// and a whole net_train run in-process.
#ifndef TESTS_NET_TRAIN_TOOL_FILES_H
#define TESTS_NET_TRAIN_TOOL_FILES_H

#include "engine/network.h"
#include "tests/support/test_support.h"
#include "net_train/net_train.h"

#include <sstream>
#include <string>
#include <vector>

struct Outcome {
    int status;
    std::string out;
    std::string err;
};

inline Outcome run(const std::vector<std::string>& arguments, NetTrainSettings settings = {})
{
    std::ostringstream out;
    std::ostringstream err;
    const int status = run_net_train(arguments, out, err, settings);
    return {status, out.str(), err.str()};
}

inline std::string example_file(const std::string& name)
{
    return std::string(EXAMPLES_DIR) + "/" + name;
}

// Exclusive-or from fixed starting weights: converges after some thousands of passes.
inline const char* const exclusive_or_text =
    "input_layer: 2\ncomp_layer: 2\nweights: 0.5 -0.25\nweights: 1 0.75\n"
    "comp_layer: 1\nweights: 2 -1.5\ntreshold: 2\nslope_parameter: 2\n"
    "pattern: 0 0 -> 0\npattern: 0 1 -> 1\npattern: 1 0 -> 1\npattern: 1 1 -> 0\n"
    "error_limit: 0.05\nmax_iterations: 50000\nlearning_rate: 0.5\n";

#endif
