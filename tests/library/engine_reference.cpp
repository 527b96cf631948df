// What the C++ engine computes on a network file, for the Python module's tests to compare
// with bit for bit: every double is printed in hexadecimal.
//
//   engine_reference NETWORK_FILE [TRAINING_FILE] < rows
//   engine_reference --layers SIZES SEED [TRAINING_FILE] < rows
//
// Reads rows of inputs from standard input, one row per line. Prints "outputs" and the outputs
// of each row; with a training file it then trains on it and prints "result", "passes",
// "weights" (every connection in neuron order) and the outputs of each row again. --layers
// builds the network from comma-separated layer sizes and a seed instead of a file.
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

// The network the arguments name; `training` is left at the training file's argument.
Network network_of(char** argv, int& training)
{
    if (std::string(argv[1]) != "--layers") {
        training = 2;
        return Network(argv[1]);
    }
    training = 4;
    std::vector<int> sizes;
    std::istringstream list(argv[2]);
    for (std::string size; std::getline(list, size, ',');)
        sizes.push_back(std::stoi(size));
    return Network::from_layers(sizes, static_cast<unsigned>(std::stoul(argv[3])));
}

}  // namespace

int main(int argc, char** argv)
{
    const bool layers = argc >= 2 && std::string(argv[1]) == "--layers";
    if (argc < (layers ? 4 : 2) || argc > (layers ? 5 : 3)) {
        std::fprintf(stderr, "usage: engine_reference NETWORK_FILE | --layers SIZES SEED [TRAINING_FILE] < rows\n");
        return 2;
    }
    std::vector<std::vector<double>> rows;
    for (std::string line; std::getline(std::cin, line);) {
        std::istringstream values(line);
        rows.emplace_back();
        for (double value; values >> value;)
            rows.back().push_back(value);
    }
    int training = 0;
    Network network = network_of(argv, training);
    print_outputs(network, rows);
    if (argc > training) {
        std::printf("result %d\n", network.train(argv[training]));
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
