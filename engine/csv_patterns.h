/// @file
/// Training patterns from a CSV table: one row per pattern, the network's inputs then its
/// expected outputs, separated by commas; a header row and blank lines are skipped.
#ifndef ENGINE_CSV_PATTERNS_H
#define ENGINE_CSV_PATTERNS_H

#include "export.h"

#include <string_view>

class Network;
struct Diagnostics;

/// True when a training file is to be read as a CSV table: its name ends in ".csv" (any case).
NC_API bool is_csv_file_name(std::string_view file_name);

/// Appends one pattern per row of the table to the network's patterns. Every row must hold
/// input_count() + output_count() numbers; a first row with no number in it is taken for a
/// header and skipped. Returns 1 when the file cannot be opened, is UTF-16 or its lines end
/// in carriage returns only, else the number of rows refused (wrong width, a field that is
/// not a number, or beyond the engine's pattern limits), counting a line too long for
/// memory, or one that cannot be read, as a refused row that ends the table. Refused rows add
/// no pattern and are reported with their line; so is an expected output outside 0 to 1,
/// which is kept.
NC_API int read_csv_patterns(Network& network, const char* file_name, Diagnostics* diagnostics = nullptr);

/// The training records a network trains on, patterns held before removed. A CSV table gives
/// the patterns, and the network file's own training records the parameters (error limit,
/// iteration limit, learning rate, weight limit); any other training file gives both, as
/// training by file name reads them. Returns the result of the reader of `training_file`;
/// `diagnostics` hears only about that file; with a table, `parameter_warnings`, when given,
/// hears the warnings of the network file's training records.
NC_API int load_training_records(Network& network, const char* network_file, const char* training_file,
                                 Diagnostics* diagnostics = nullptr, Diagnostics* parameter_warnings = nullptr);

#endif
