// The network file text of a creature with known outputs.
#include "tests/creature_world/headless.h"

#include <cmath>
#include <sstream>

std::string network_with_outputs(double left, double right, double up, double down)
{
    // The hidden neuron has no input weight worth anything: with inputs 0 it outputs 0.5,
    // so an output neuron of weight w gives 1 / (1 + exp(-0.5 w)).
    auto weight_for = [](double output) { return 2.0 * std::log(output / (1.0 - output)); };
    std::ostringstream file;
    file.precision(17);
    file << "input_layer: 3\ncomp_layer: 1\n  weights: 0 0 0\ncomp_layer: 4\n";
    for (double output : {left, right, up, down})
        file << "  weights: " << weight_for(output) << "\n";
    file << "treshold: 0\nslope_parameter: 1\n";
    return file.str();
}
