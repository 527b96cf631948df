// The engine's exponential against the C library's over random arguments, on the kernel set
// chosen now: the largest difference in ulps, and whether the vectors give the scalar's bits.
#ifndef TESTS_ENGINE_EXPONENTIAL_SWEEP_H
#define TESTS_ENGINE_EXPONENTIAL_SWEEP_H

#include <cstdint>

// Distance of two doubles in units in the last place, counting across zero; 0 for two NaNs,
// a huge distance for a NaN and a number.
long long ulp_distance(double a, double b);

struct SweepResult {
    long long worst_ulps = 0;
    double worst_argument = 0.0;
    long long off_by_one = 0;        // arguments whose result differs from the library's by 1 ulp
    long long unlike_scalar = 0;     // arguments where the vectors and the scalar exp disagree
};

// `count` arguments from `seed`: a quarter spread evenly over every argument whose result is
// neither 0 nor infinity, the rest the same values scaled down by up to 2^-60, where the
// logistic functions of trained networks spend their time.
SweepResult sweep_exponential(std::uint64_t count, std::uint64_t seed);

#endif
