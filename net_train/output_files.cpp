// Output files: the destination check, atomic replacement with the system's reason on
// failure, the full comparison of the trained network with what its text reads back as, and
// the learning curve's CSV text.
#include "net_train/output_files.h"

#include "engine/format_check.h"
#include "file_system/atomic_file.h"
#include "engine/network.h"
#include "engine/training_run.h"
#include "net_train/command_line.h"
#include "tool_support/file_problems.h"
#include "net_train/net_train.h"
#include "tool_support/number_text.h"

#include <new>
#include <ostream>
#include <sstream>
#include <vector>

namespace {

// The network records of `network` as the writer writes them.
std::string network_text(const Network& network)
{
    std::ostringstream text;
    network.write_network(text);
    return text.str();
}

// What is to be written to the output file: the trained network's text, or, when the format
// cannot hold that network and the user asked for it, the nearest network's.
struct OutputText {
    std::string text;
    std::vector<std::string> losses;  // what the format cannot hold; empty when nothing is lost
    double nearest_worst_error = 0.0; // with --write-nearest and losses: the written network's
};

OutputText output_text(Network& trained, bool write_nearest)
{
    OutputText output{network_text(trained), {}, 0.0};
    Network read_back = Network::from_text(output.text);
    output.losses = format_losses(trained, read_back);
    if (output.losses.empty() || !write_nearest)
        return output;
    // The read-back network is what the format holds; its own text reads back as itself.
    output.text = network_text(read_back);
    for (int index = 0; index < trained.pattern_count(); ++index)
        read_back.add_pattern(trained.pattern(index));
    PatternErrors errors;
    measure_pattern_errors(read_back, errors);
    output.nearest_worst_error = errors.worst;
    return output;
}

}  // namespace

bool write_whole_file(const std::string& file, const std::string& text, const char* what, std::ostream& err)
{
    std::string reason;
    if (write_file_atomically(file, text, reason))
        return true;
    err << "net_train: " << file << ": cannot write " << what << ": " << reason_clause(reason)
        << "; the file is as it was\n";
    return false;
}

bool destinations_writable(const NetTrainOptions& options, std::ostream& err)
{
    bool writable = true;
    for (const std::string* file : {&options.output_file, &options.curve_file}) {
        std::string reason;
        if (file->empty() || check_writable_destination(*file, reason))
            continue;
        err << "net_train: " << *file << ": cannot write here: " << reason_clause(reason) << "; nothing was trained\n";
        writable = false;
    }
    return writable;
}

int write_trained_network(Network& trained, const std::string& file, bool write_nearest, std::ostream& err,
                          std::string& written)
{
    if (!trained.weights_are_finite()) {
        // Such a weight would be read back as a missing one, drawn at random.
        err << "net_train: " << file << ": not written: training gave weights that are not finite numbers "
               "(are some pattern values huge?), which the file format cannot hold\n";
        return exit_format_cannot_hold;
    }
    OutputText output;
    try {
        output = output_text(trained, write_nearest);
    } catch (const std::bad_alloc&) {
        // The text and its read-back form are held beside the trained network for the check.
        err << "net_train: " << file << ": not written: not enough memory to build the network's text and check "
               "it; the file is as it was\n";
        return exit_cannot_write;
    }
    for (const std::string& loss : output.losses)
        err << "net_train: " << file << ": the file format cannot hold the trained network: " << loss << '\n';
    if (!output.losses.empty() && !write_nearest) {
        err << "net_train: " << file << ": not written; --write-nearest writes the nearest network the format "
               "can hold\n";
        return exit_format_cannot_hold;
    }
    if (!write_whole_file(file, output.text, "the trained network", err))
        return exit_cannot_write;
    written = file;
    if (output.losses.empty())
        return 0;
    written += " (the nearest network the file format can hold; its worst error " +
               short_text(output.nearest_worst_error) + ")";
    // The exit status tells about the network written, not the one trained.
    if (output.nearest_worst_error <= trained.error_limit)
        return 0;
    err << "net_train: " << file << ": the nearest network written misses the error limit: its worst error "
        << short_text(output.nearest_worst_error) << " is above " << shortest_text(trained.error_limit) << '\n';
    return exit_short_of_goal;
}

std::string curve_csv(const LearningCurve& curve)
{
    std::string text = "pass,worst_error,mean_squared_error\n";
    if (curve.step() > 1)
        text += "# k=" + std::to_string(curve.step()) + ": one row every " + std::to_string(curve.step()) +
                " passes, and one for the last pass\n";
    for (const CurvePoint& point : curve.points())
        text += std::to_string(point.pass) + "," + shortest_text(point.worst) + "," + shortest_text(point.mean_squared) +
                "\n";
    return text;
}
