// A program built against the installed engine library: reads a network file, evaluates the
// network on the rows of inputs given on the command line and prints one row of outputs each.
//
//   consumer NETWORK_FILE [INPUTS...]     e.g. consumer exclusive_or.txt 0,1 1,1
#include <neural-creatures/diagnostics.h>
#include <neural-creatures/network.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: consumer NETWORK_FILE [INPUTS...]\n");
        return 2;
    }
    Diagnostics diagnostics;
    Network network(argv[1], &diagnostics);
    for (const Diagnostic& diagnostic : diagnostics.entries)
        std::fprintf(stderr, "%s:%d: %s\n", argv[1], diagnostic.line, diagnostic.message.c_str());
    if (network.layer_count() == 0)
        return 1;
    std::printf("layers:");
    for (int layer = 0; layer < network.layer_count(); ++layer)
        std::printf(" %d", network.layer_size(layer));
    std::printf("\n");

    std::vector<double> inputs;
    std::vector<double> outputs;
    for (int argument = 2; argument < argc; ++argument) {
        // One row: input values separated by commas.
        inputs.clear();
        std::istringstream row(argv[argument]);
        for (std::string value; std::getline(row, value, ',');)
            inputs.push_back(std::strtod(value.c_str(), nullptr));
        if (!network.set_inputs(inputs)) {
            std::fprintf(stderr, "%s: the network has %d inputs\n", argv[argument], network.input_count());
            return 1;
        }
        network.evaluate();
        network.get_outputs(outputs);
        std::printf("%s ->", argv[argument]);
        for (double output : outputs)
            std::printf(" %.6f", output);
        std::printf("\n");
    }
    return 0;
}
