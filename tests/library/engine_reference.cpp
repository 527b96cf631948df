// What the C++ engine computes on a network file, for the Python module's tests to compare
// with bit for bit: every double is printed in hexadecimal.
//
//   engine_reference NETWORK_FILE [TRAINING_FILE] < rows
//
// Reads rows of inputs from standard input, one row per line. Prints "outputs" and the outputs
// of each row; with a training file it then trains on it and prints "result", "passes",
// "weights" (every connection in neuron order) and the outputs of each row again.
#include "engine/network.h"

#include <cstdio>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

void print_outputs(Network& network, const std::vector<std::vector<double>>& rows)
{
    std::vector<double> outputs;
    for (const std::vector<double>& row : rows) {
        if (!network.set_inputs(row)) {
            std::printf("bad row\n");
            continue;
        }
        network.evaluate();
        network.get_outputs(outputs);
        std::printf("outputs");
        for (double value : outputs)
            std::printf(" %a", value);
        std::printf("\n");
    }
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: engine_reference NETWORK_FILE [TRAINING_FILE] < rows\n");
        return 2;
    }
    std::vector<std::vector<double>> rows;
    for (std::string line; std::getline(std::cin, line);) {
        std::istringstream values(line);
        rows.emplace_back();
        for (double value; values >> value;)
            rows.back().push_back(value);
    }
    Network network(argv[1]);
    print_outputs(network, rows);
    if (argc == 3) {
        std::printf("result %d\n", network.train(argv[2]));
        std::printf("passes %d\n", network.iterations_done);
        std::printf("weights");
        for (int position = 0; position < network.neuron_count(); ++position) {
            for (const Connection& connection : network.neuron(position).connections)
                std::printf(" %a", connection.weight);
        }
        std::printf("\n");
        print_outputs(network, rows);
    }
    return 0;
}
