/// @file
/// The four two-input data sets that classroom playgrounds teach with, made from a point
/// count, a noise level and a seed, with the same bits on every platform and in the page.
///
/// Point i belongs to class i % 2 (so the classes alternate and differ in size by one at
/// most); its two inputs lie in 0..1 and its one target is the class, 0 or 1. The clean
/// shapes, in the unit square:
/// - "xor": four clusters at the corners, each coordinate uniform in 0.05..0.45 or 0.55..0.95;
///   class 1 where exactly one coordinate is above 0.5 (exclusive-or), the two corners of a
///   class taken in turn.
/// - "circle": class 1 uniform in the disc of radius 0.2 around (0.5, 0.5), class 0 uniform
///   in the ring from radius 0.3 to 0.45 around it (both drawn by rejection from a square).
/// - "gaussians": class 0 around (0.3, 0.3), class 1 around (0.7, 0.7), each coordinate
///   normal with standard deviation 0.1.
/// - "spirals": with s uniform in 0..1, the point at radius 0.05 + 0.4 s and angle
///   3.5 pi s + pi * class around (0.5, 0.5): two interleaved spirals of 1.75 turns.
///
/// Noise then moves each input by noise times a standard normal draw, and every input is
/// clamped to 0..1 (the class stays that of the clean shape). Uniform draws take 45 bits
/// from three of RandomSource's 15-bit draws; a normal draw is the sum of twelve uniform
/// draws less 6 (mean 0, variance 1, within +-6); sines and cosines are the engine's own
/// polynomials, so no platform's maths library is consulted.
#ifndef ENGINE_DATA_SETS_H
#define ENGINE_DATA_SETS_H

#include "export.h"
#include "network.h"  // for its pattern limit

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

/// A generated data set: point i has the inputs inputs[2 i] and inputs[2 i + 1] and the
/// target targets[i].
struct DataSet {
    std::vector<double> inputs;   ///< two per point, in point order
    std::vector<double> targets;  ///< one per point: its class, 0 or 1
};

/// Inputs of every data set's points.
constexpr int data_set_input_count = 2;
/// Highest noise level, the standard deviation of the normal shift of each input.
constexpr double data_set_max_noise = 0.5;
/// As many points as a training file may hold patterns.
constexpr long long data_set_max_points = Network::max_pattern_count;

/// The names of the data sets, in the order the front ends list them.
NC_API const std::vector<std::string>& data_set_names();

/// Fills `data` with the named set and returns true; or returns false, `data` empty, with
/// one sentence in `problem` when the name is unknown, `points` is not 1 to
/// data_set_max_points or `noise` is not 0 to data_set_max_noise (NaN included).
NC_API bool make_data_set(std::string_view name, long long points, double noise, std::uint32_t seed,
                          DataSet& data, std::string& problem);

/// The set as a CSV table the CSV reader reads: the header "x1,x2,target", then one row per
/// point, each number the shortest text that reads back as the same double.
NC_API std::string data_set_csv(const DataSet& data);

#endif
