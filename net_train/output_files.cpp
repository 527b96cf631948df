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
#include "tool_support/printable_text.h"

#include <ostream>
#include <sstream>
#include <vector>

bool write_whole_file(const std::string& file, const std::string& text, const char* what, std::ostream& err)
{
    std::string reason;
    if (write_file_atomically(file, text, reason))
        return true;
    err << "net_train: " << printable(file) << ": cannot write " << what << ": " << reason_clause(reason)
        << "; the file is as it was\n";
    return false;
}

bool destinations_writable(const NetTrainOptions& options, std::ostream& err)
{
    bool writable = true;
    for (const std::string* file : {&options.output_file, &options.lesson_file, &options.curve_file}) {
        std::string reason;
        if (file->empty() || check_writable_destination(*file, reason))
            continue;
        err << "net_train: " << printable(*file) << ": cannot write here: " << reason_clause(reason)
            << "; nothing was trained\n";
        writable = false;
    }
    return writable;
}

namespace {

// The checks before a trained network's text replaces `file`: values the format can hold,
// room for the read-back check, and what the format would lose, said on `err` with
// `refused` ("not written", "lesson not written") before each reason and `losses_refused`
// after the losses. Returns 0 when the text may be written (losses included, when
// `nearest_allowed`), else the status.
int check_before_writing(const Network& trained, const std::string& file, const char* refused, bool finite,
                         const char* unfinite_values, bool nearest_allowed, const char* losses_refused,
                         CheckedNetworkText& output, std::ostream& err)
{
    const std::string named = "net_train: " + printable(file) + ": ";
    if (!finite) {
        // Such a weight would be read back as a missing one, drawn at random.
        err << named << refused << ": " << unfinite_values << " (are some pattern values huge?), which the file "
            << "format cannot hold\n";
        return exit_format_cannot_hold;
    }
    if (!check_network_text(trained, nearest_allowed, output)) {
        // The text and its read-back form are held beside the trained network for the check.
        err << named << refused << ": the network's text and its check do not fit in memory; the file is as it was\n";
        return exit_out_of_memory;
    }
    for (const std::string& loss : output.losses)
        err << named << "the file format cannot hold the trained network: " << loss << '\n';
    if (output.losses.empty() || nearest_allowed)
        return 0;
    err << named << losses_refused << '\n';
    return exit_format_cannot_hold;
}

}  // namespace

int write_trained_network(Network& trained, const TrainingRun& run, const std::string& file, bool write_nearest,
                          std::ostream& err, std::string& written)
{
    CheckedNetworkText output;
    const int refusal = check_before_writing(trained, file, "not written", trained.weights_are_finite(),
                                             "training gave weights that are not finite numbers", write_nearest,
                                             "not written; --write-nearest writes the nearest network the format "
                                             "can hold",
                                             output, err);
    if (refusal != 0)
        return refusal;
    // Everything the report needs is made before the file is replaced, so that a shortage of
    // memory comes before the write and never after it.
    std::string report = file;
    double nearest_worst = 0.0;
    if (!output.losses.empty()) {
        Network& nearest = output.read_back;
        for (int index = 0; index < trained.pattern_count(); ++index)
            nearest.add_pattern(trained.pattern(index));
        PatternErrors errors;
        measure_pattern_errors(nearest, errors, run);
        nearest_worst = errors.worst;
        report += " (the nearest network the file format can hold; its worst error " + short_text(nearest_worst) + ")";
    }
    // The exit status tells about the network written, not the one trained.
    const bool misses_limit = !output.losses.empty() && nearest_worst > trained.error_limit;
    const std::string miss = misses_limit ? "net_train: " + printable(file) +
                                                ": the nearest network written misses the error limit: its worst "
                                                "error " + short_text(nearest_worst) + " is above " +
                                                shortest_text(trained.error_limit) + "\n"
                                          : "";
    if (!write_whole_file(file, output.text, "the trained network", err))
        return exit_cannot_write;
    written.swap(report);
    err << miss;
    return misses_limit ? exit_short_of_goal : 0;
}

int write_lesson_file(const Network& trained, const std::string& file, std::ostream& err)
{
    CheckedNetworkText output;
    const int refusal = check_before_writing(trained, file, "lesson not written", trained.lesson_is_finite(),
                                             "a weight, a pattern value or a training parameter is not a finite "
                                             "number", false, "lesson not written", output, err);
    if (refusal != 0)
        return refusal;
    std::ostringstream text;
    trained.write_lesson(text);
    return write_whole_file(file, text.str(), "the lesson", err) ? 0 : exit_cannot_write;
}

std::string curve_csv(const LearningCurve& curve, bool held_out)
{
    std::string text = held_out ? "pass,worst_error,mean_squared_error,test_worst_error,test_mean_squared_error\n"
                                : "pass,worst_error,mean_squared_error\n";
    if (curve.step() > 1)
        text += "# k=" + std::to_string(curve.step()) + ": one row every " + std::to_string(curve.step()) +
                " passes, and one for the last pass\n";
    for (const CurvePoint& point : curve.points())
        text += std::to_string(point.pass) + "," + shortest_text(point.worst) + "," + shortest_text(point.mean_squared) +
                (held_out ? "," + shortest_text(point.held_out_worst) + "," + shortest_text(point.held_out_mean_squared)
                          : std::string()) +
                "\n";
    return text;
}
