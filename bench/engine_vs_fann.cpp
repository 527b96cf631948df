// Our engine against FANN (double build) in one process: evaluation in connections per second
// (row by row, and ours also in batches of all patterns), and one online training pass in
// connection updates per second, on the same weights, taking turns round by round and
// reporting medians of thread CPU time. Without FANN it measures ours alone.
#include "bench/bench_networks.h"
#include "bench/fann_twin.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace {

std::vector<std::vector<double>> random_rows(int rows, int columns, unsigned seed)
{
    std::srand(seed);
    std::vector<std::vector<double>> result(static_cast<std::size_t>(rows));
    for (std::vector<double>& row : result)
        for (int c = 0; c < columns; ++c)
            row.push_back(std::rand() / static_cast<double>(RAND_MAX));
    return result;
}

// Times `work` repeated `repeats` times, once per round; returns the median seconds per repeat.
struct Timer {
    std::vector<double> samples;
    void measure(const std::function<void()>& work, int repeats)
    {
        const double start = thread_seconds();
        for (int i = 0; i < repeats; ++i)
            work();
        samples.push_back((thread_seconds() - start) / repeats);
    }
};

struct Row {
    std::string name;
    double ours_eval, ours_train, fann_eval, fann_train, ours_batch;
};

Row compare(const std::vector<int>& layers, int rounds)
{
    Network network = make_network(layers, value_record(FormatKey::Threshold, "0.25") +
                                              value_record(FormatKey::SlopeParameter, "1.5"));
    network.set_learning_rate_all(0.05);
    const long long connections = connection_count(network);
    const int pattern_total = 32;
    const auto inputs = random_rows(pattern_total, layers.front(), 1);
    const auto targets = random_rows(pattern_total, layers.back(), 2);
    for (int p = 0; p < pattern_total; ++p)
        network.add_pattern({inputs[p], targets[p]});
    network.error_limit = -1.0;  // the check pass stops at its first output
    network.max_iterations = 1;

    // Repeat counts that make one sample last a few milliseconds.
    const int eval_repeats = static_cast<int>(std::max(1LL, 4000000LL / connections));
    const int train_repeats = static_cast<int>(std::max(1LL, 400000LL / (connections * pattern_total)));

    Timer ours_eval_timer, ours_train_timer;
    std::vector<double> outputs;
    std::size_t next = 0;
    const auto evaluate_ours = [&] {
        network.set_inputs(inputs[next++ % pattern_total]);
        network.evaluate();
        network.get_outputs(outputs);
    };
    const auto train_ours = [&] { network.train(nullptr); };
    std::vector<double> input_block;
    for (const std::vector<double>& row : inputs)
        input_block.insert(input_block.end(), row.begin(), row.end());
    std::vector<double> output_block(static_cast<std::size_t>(pattern_total * layers.back()));
    const auto evaluate_batch = [&] { network.evaluate_batch(input_block.data(), output_block.data(), pattern_total); };
    const int batch_repeats = std::max(1, eval_repeats / pattern_total);
    Timer ours_batch_timer;

#ifdef HAVE_FANN
    struct fann* ann = make_fann(network, layers);
    // Both must compute the same function, or the comparison means nothing.
    network.set_inputs(inputs[0]);
    network.evaluate();
    network.get_outputs(outputs);
    const double* fann_outputs = fann_run(ann, const_cast<double*>(inputs[0].data()));
    for (std::size_t k = 0; k < outputs.size(); ++k)
        if (std::fabs(outputs[k] - fann_outputs[k]) > 1e-9) {
            std::fprintf(stderr, "%s: FANN computes another function (output %zu: %.17g against %.17g)\n",
                         topology_name(layers).c_str(), k, fann_outputs[k], outputs[k]);
            std::exit(1);
        }
    std::vector<std::vector<double>> fann_inputs = inputs;
    std::vector<std::vector<double>> fann_targets = targets;
    Timer fann_eval_timer, fann_train_timer;
    const auto evaluate_fann = [&] { fann_run(ann, fann_inputs[next++ % pattern_total].data()); };
    const auto train_fann = [&] {
        for (int p = 0; p < pattern_total; ++p)
            fann_train(ann, fann_inputs[p].data(), fann_targets[p].data());
    };
#endif

    for (int round = 0; round < rounds; ++round) {
        ours_eval_timer.measure(evaluate_ours, eval_repeats);
        ours_train_timer.measure(train_ours, train_repeats);
        ours_batch_timer.measure(evaluate_batch, batch_repeats);
#ifdef HAVE_FANN
        fann_eval_timer.measure(evaluate_fann, eval_repeats);
        fann_train_timer.measure(train_fann, train_repeats);
#endif
    }

    const double updates = static_cast<double>(connections) * pattern_total;
    Row row{topology_name(layers), connections / median(ours_eval_timer.samples),
            updates / median(ours_train_timer.samples), 0, 0, updates / median(ours_batch_timer.samples)};
#ifdef HAVE_FANN
    // FANN also counts its bias connections; compare on the connections both networks share.
    row.fann_eval = connections / median(fann_eval_timer.samples);
    row.fann_train = updates / median(fann_train_timer.samples);
    fann_destroy(ann);
#endif
    return row;
}

}  // namespace

int main(int argc, char** argv)
{
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
    const std::vector<std::vector<int>> topologies = {
        {3, 4}, {3, 8, 4}, {2, 2, 1}, {64, 128, 128, 10}, {784, 100, 10}};
#ifndef HAVE_FANN
    std::printf("FANN (libfann-dev) was not found at build time: measuring our engine alone.\n");
#endif
    std::printf("%-18s %14s %14s %14s %14s %8s %8s %14s %8s %8s\n", "topology", "ours eval/s", "fann eval/s",
                "ours upd/s", "fann upd/s", "eval x", "train x", "batch eval/s", "batch x", "b/row");
    double eval_log = 0.0, train_log = 0.0, batch_log = 0.0;
    for (const std::vector<int>& layers : topologies) {
        const Row row = compare(layers, rounds);
        const double eval_ratio = row.fann_eval > 0 ? row.ours_eval / row.fann_eval : 0.0;
        const double train_ratio = row.fann_train > 0 ? row.ours_train / row.fann_train : 0.0;
        const double batch_ratio = row.fann_eval > 0 ? row.ours_batch / row.fann_eval : 0.0;
        std::printf("%-18s %14.3e %14.3e %14.3e %14.3e %8.2f %8.2f %14.3e %8.2f %8.2f\n", row.name.c_str(),
                    row.ours_eval, row.fann_eval, row.ours_train, row.fann_train, eval_ratio, train_ratio,
                    row.ours_batch, batch_ratio, row.ours_batch / row.ours_eval);
        if (eval_ratio > 0) {
            eval_log += std::log(eval_ratio);
            train_log += std::log(train_ratio);
            batch_log += std::log(batch_ratio);
        }
    }
#ifdef HAVE_FANN
    const double count = static_cast<double>(topologies.size());
    std::printf("geometric mean ratio: evaluation %.2f, training %.2f, batch evaluation %.2f\n",
                std::exp(eval_log / count), std::exp(train_log / count), std::exp(batch_log / count));
#endif
    return 0;
}
