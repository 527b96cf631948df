// Online training on three classic data sets (iris 4-8-3, breast cancer 30-16-1, handwritten
// digits 64-32-10), ours against FANN from the same weights: thread CPU time per epoch,
// medians of rounds taken in turns, and the share of patterns classified right afterwards;
// ours once more with learned thresholds, since FANN always learns its neurons' biases.
// The data come from Debian's python3-sklearn; without it, random data of the same shape
// stand in (and the accuracies mean nothing).
#include "bench/bench_networks.h"
#include "bench/fann_twin.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace {

const std::string data_directory = "/usr/lib/python3/dist-packages/sklearn/datasets/data/";

struct DataSet {
    std::string name;
    std::vector<int> layers;
    int epochs;
    std::vector<std::vector<double>> inputs;
    std::vector<int> labels;
    bool real = false;
};

// Reads rows of numbers whose last one is the class; a first line that is a header is skipped.
bool read_rows(const std::string& command, int feature_count, DataSet& data)
{
    FILE* text = popen(command.c_str(), "r");
    if (text == nullptr)
        return false;
    char line[4096];
    while (std::fgets(line, sizeof line, text) != nullptr) {
        std::vector<double> values;
        char* cursor = line;
        for (char* end = nullptr;; cursor = end + 1) {
            values.push_back(std::strtod(cursor, &end));
            if (end == cursor || *end != ',')
                break;
        }
        if (static_cast<int>(values.size()) != feature_count + 1)
            continue;  // the header
        data.labels.push_back(static_cast<int>(values.back()));
        values.pop_back();
        data.inputs.push_back(values);
    }
    return pclose(text) == 0 && !data.inputs.empty();
}

DataSet load(const std::string& name, const std::string& file, const std::vector<int>& layers, int rows, int epochs)
{
    DataSet data{name, layers, epochs, {}, {}};
    const std::string path = data_directory + file;
    const std::string command = (file.size() > 3 && file.substr(file.size() - 3) == ".gz" ? "zcat " : "cat ") +
                                path + " 2>/dev/null";
    const int classes = std::max(layers.back(), 2);
    data.real = read_rows(command, layers.front(), data);
    if (!data.real) {
        data.inputs.clear();
        data.labels.clear();
        std::mt19937 random(5);
        for (int r = 0; r < rows; ++r) {
            std::vector<double> row;
            for (int c = 0; c < layers.front(); ++c)
                row.push_back(std::uniform_real_distribution<double>(0.0, 16.0)(random));
            data.inputs.push_back(row);
            data.labels.push_back(static_cast<int>(random() % static_cast<unsigned>(classes)));
        }
    }
    // Each feature scaled to 0..1 over the set.
    for (int c = 0; c < layers.front(); ++c) {
        double low = data.inputs[0][c], high = low;
        for (const auto& row : data.inputs) {
            low = std::min(low, row[c]);
            high = std::max(high, row[c]);
        }
        for (auto& row : data.inputs)
            row[c] = high > low ? (row[c] - low) / (high - low) : 0.0;
    }
    return data;
}

std::vector<double> target_of(int label, int outputs)
{
    if (outputs == 1)
        return {static_cast<double>(label)};
    std::vector<double> target(static_cast<std::size_t>(outputs), 0.0);
    target[static_cast<std::size_t>(label)] = 1.0;
    return target;
}

int class_of(const double* outputs, int count)
{
    if (count == 1)
        return outputs[0] > 0.5 ? 1 : 0;
    return static_cast<int>(std::max_element(outputs, outputs + count) - outputs);
}

struct Result {
    double ours_seconds, fann_seconds, learned_seconds, ours_accuracy, fann_accuracy, learned_accuracy;
};

// Trains a copy of `start` and gives its thread CPU time per epoch and its accuracy.
std::pair<double, double> train_ours(const Network& start, const DataSet& data)
{
    Network network(start);
    const double begin = thread_seconds();
    network.train(nullptr);
    const double seconds = (thread_seconds() - begin) / data.epochs;
    int right = 0;
    std::vector<double> computed;
    for (std::size_t p = 0; p < data.inputs.size(); ++p) {
        network.set_inputs(data.inputs[p]);
        network.evaluate();
        network.get_outputs(computed);
        right += class_of(computed.data(), data.layers.back()) == data.labels[p];
    }
    return {seconds, static_cast<double>(right) / static_cast<double>(data.inputs.size())};
}

Result compare(const DataSet& data, int rounds)
{
    // Small starting weights from a fixed seed, and a limit training never reaches, as FANN
    // has none.
    std::mt19937 random(3);
    std::uniform_real_distribution<double> weight(-0.3, 0.3);
    std::string text = record_start(FormatKey::InputLayer) + std::to_string(data.layers.front()) + "\n";
    for (std::size_t layer = 1; layer < data.layers.size(); ++layer) {
        text += record_start(FormatKey::CompLayer) + std::to_string(data.layers[layer]) + "\n";
        for (int i = 0; i < data.layers[layer]; ++i) {
            text += key_text(FormatKey::Weights);
            for (int j = 0; j < data.layers[layer - 1]; ++j)
                text += " " + std::to_string(weight(random));
            text += "\n";
        }
    }
    Network start = Network::from_text(text + value_record(FormatKey::Threshold, "0.5") +
                                       value_record(FormatKey::SlopeParameter, "1") +
                                       value_record(FormatKey::MaxWeight, "1e6"));
    start.set_learning_rate_all(0.5);
    const int outputs = data.layers.back();
    for (std::size_t p = 0; p < data.inputs.size(); ++p)
        start.add_pattern({data.inputs[p], target_of(data.labels[p], outputs)});
    start.error_limit = -1.0;  // every check pass stops at its first output
    start.max_iterations = data.epochs;

    Network learning_thresholds(start);
    learning_thresholds.learn_thresholds = true;

    std::vector<double> ours_samples, fann_samples, learned_samples;
    Result result{0, 0, 0, 0, 0, 0};
    for (int round = 0; round < rounds; ++round) {
        double seconds = 0;
        std::tie(seconds, result.ours_accuracy) = train_ours(start, data);
        ours_samples.push_back(seconds);
        std::tie(seconds, result.learned_accuracy) = train_ours(learning_thresholds, data);
        learned_samples.push_back(seconds);
#ifdef HAVE_FANN
        struct fann* ann = make_fann(start, data.layers);
        std::vector<std::vector<double>> inputs = data.inputs;
        std::vector<std::vector<double>> targets;
        for (int label : data.labels)
            targets.push_back(target_of(label, outputs));
        int right = 0;
        const double begin = thread_seconds();
        for (int epoch = 0; epoch < data.epochs; ++epoch)
            for (std::size_t p = 0; p < inputs.size(); ++p)
                fann_train(ann, inputs[p].data(), targets[p].data());
        fann_samples.push_back((thread_seconds() - begin) / data.epochs);
        for (std::size_t p = 0; p < inputs.size(); ++p)
            right += class_of(fann_run(ann, inputs[p].data()), outputs) == data.labels[p];
        result.fann_accuracy = static_cast<double>(right) / static_cast<double>(inputs.size());
        fann_destroy(ann);
#endif
    }
    result.ours_seconds = median(ours_samples);
    result.learned_seconds = median(learned_samples);
    result.fann_seconds = fann_samples.empty() ? 0.0 : median(fann_samples);
    return result;
}

}  // namespace

int main(int argc, char** argv)
{
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
    const std::vector<DataSet> sets = {load("iris", "iris.csv", {4, 8, 3}, 150, 100),
                                       load("breast cancer", "breast_cancer.csv", {30, 16, 1}, 569, 20),
                                       load("digits", "digits.csv.gz", {64, 32, 10}, 1797, 5)};
#ifndef HAVE_FANN
    std::printf("FANN (libfann-dev) was not found at build time: measuring our engine alone.\n");
#endif
    std::printf("%-14s %-9s %7s %12s %12s %7s %9s %9s %12s %12s\n", "data set", "topology", "epochs",
                "ours ms/ep", "fann ms/ep", "x", "ours acc", "fann acc", "thr ms/ep", "thr acc");
    double log_sum = 0.0;
    for (const DataSet& data : sets) {
        const Result result = compare(data, rounds);
        const double ratio = result.ours_seconds > 0 ? result.fann_seconds / result.ours_seconds : 0.0;
        log_sum += ratio > 0 ? std::log(ratio) : 0.0;
        std::printf("%-14s %-9s %7d %12.4f %12.4f %7.2f %9.3f %9.3f %12.4f %12.3f%s\n", data.name.c_str(),
                    topology_name(data.layers).c_str(), data.epochs, result.ours_seconds * 1e3,
                    result.fann_seconds * 1e3, ratio, result.ours_accuracy, result.fann_accuracy,
                    result.learned_seconds * 1e3, result.learned_accuracy,
                    data.real ? "" : "  (synthetic stand-in)");
    }
#ifdef HAVE_FANN
    std::printf("geometric mean ratio: %.2f\n", std::exp(log_sum / static_cast<double>(sets.size())));
#endif
    return 0;
}
