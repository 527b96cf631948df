// net_train's output files: checked before training, written whole or not at all, and the
// network only when the file format holds the very network that was trained.
#ifndef NET_TRAIN_OUTPUT_FILES_H
#define NET_TRAIN_OUTPUT_FILES_H

#include "engine/training_run.h"

#include <cstddef>
#include <iosfwd>
#include <string>

class Network;
struct NetTrainOptions;

// True when every file the run is to write (-o, --curve) can be written; otherwise false,
// with a message for each one that cannot on `err`. Opens nothing.
bool destinations_writable(const NetTrainOptions& options, std::ostream& err);

// Replaces `file` with `text`, or leaves it as it was and says why on `err`; `what` names
// the content in that message ("the learning curve").
bool write_whole_file(const std::string& file, const std::string& text, const char* what, std::ostream& err);

// Writes the trained network to `file` when the file format can hold it, or, with
// `write_nearest`, the nearest network it can hold. Returns 0 when written, with `written`
// telling what for the report, or exit_short_of_goal when the nearest network written
// misses the error limit on the patterns `run` trained on; else exit_format_cannot_hold, exit_out_of_memory (the text and its
// check do not fit in memory) or exit_cannot_write, the file as it was and the reasons on
// `err`. Other shortages of memory throw std::bad_alloc, always before the file is replaced.
int write_trained_network(Network& trained, const TrainingRun& run, const std::string& file, bool write_nearest,
                          std::ostream& err, std::string& written);

// Writes the trained network to `file` as a lesson (Network::write_lesson) when the file
// format holds it as it is: 0 when written, else exit_format_cannot_hold, exit_out_of_memory or
// exit_cannot_write, the file as it was and the reasons on `err`.
int write_lesson_file(const Network& trained, const std::string& file, std::ostream& err);

// Most rows of the learning curve --curve writes.
constexpr std::size_t curve_rows = LearningCurve::exported_points;

// The learning curve as --curve writes it: "pass,worst_error,mean_squared_error", with
// `held_out` also "test_worst_error,test_mean_squared_error", a "#" line giving k when rows
// are kept only every k passes, then the rows, numbers exact and locale-free.
std::string curve_csv(const LearningCurve& curve, bool held_out = false);

#endif
