// Values the readers take as the format says but their author probably did not mean: numbers
// cut at a decimal comma or an "x", the key "threshold:", and parameters that stop training.
// Each is noted as a warning; what a file reads as never depends on them.
#ifndef ENGINE_VALUE_WARNINGS_H
#define ENGINE_VALUE_WARNINGS_H

#include <string>
#include <string_view>

struct Diagnostics;

// Notes, at `line`, a number read from `token` as `read_as` that stopped before `rest`, the
// token's unread end, at a decimal comma or a hexadecimal "x"; other cuts are not noted here.
void note_cut_number(std::string_view token, std::string_view rest, const std::string& read_as, int line,
                     Diagnostics& diagnostics);

// Notes a "threshold:" record, which the format spells "treshold:".
void note_misspelt_threshold(int line, Diagnostics& diagnostics);

// The last record that set a parameter, which is the one in force; line 0 when none did.
struct ParameterRecord {
    int line = 0;
    double value = 0.0;

    void set(int record_line, double record_value)
    {
        line = record_line;
        value = record_value;
    }
};

// Notes a "slope_parameter:" of 0, under which no computing neuron answers its inputs.
void note_zero_slope(const ParameterRecord& slope, Diagnostics& diagnostics);

struct TrainingParameterRecords {
    ParameterRecord error_limit;
    ParameterRecord max_iterations;
    ParameterRecord learning_rate;
    ParameterRecord max_weight;
    ParameterRecord learn_thresholds;  // any value is as meant: 0 is off, others on
    ParameterRecord held_out_share;
    ParameterRecord held_out_seed;
};

// True for a whole number that a 32-bit seed holds.
bool is_seed(double value);

// Notes the training parameters in force that keep training from working, in line order.
void note_unworkable_training_parameters(const TrainingParameterRecords& records, Diagnostics& diagnostics);

#endif
