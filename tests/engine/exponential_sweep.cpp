// The engine's exponential against the C library's over random arguments.
#include "tests/engine/exponential_sweep.h"

#include "engine/fast_form.h"
#include "engine/logistic.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

namespace {

// Doubles in the order of their values, as integers; -0.0 and 0.0 both map to 0.
long long ordered(double value)
{
    std::int64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits < 0 ? -(bits & std::numeric_limits<std::int64_t>::max()) : bits;
}

constexpr double lowest_finite = -745.2;   // below, every result is 0
constexpr double highest_finite = 709.79;  // above, every result is infinite
constexpr std::size_t chunk = 4096;
constexpr int deepest_scaling = 60;

}  // namespace

long long ulp_distance(double a, double b)
{
    if (std::isnan(a) || std::isnan(b))
        return std::isnan(a) && std::isnan(b) ? 0 : std::numeric_limits<long long>::max();
    const long long difference = ordered(a) - ordered(b);
    return difference < 0 ? -difference : difference;
}

SweepResult sweep_exponential(std::uint64_t count, std::uint64_t seed)
{
    SweepResult result;
    std::mt19937_64 random(seed);
    std::uniform_real_distribution<double> spread(lowest_finite, highest_finite);
    std::vector<double> arguments(chunk);
    std::vector<double> results(chunk);
    for (std::uint64_t done = 0; done < count; done += chunk) {
        const std::size_t size = static_cast<std::size_t>(std::min<std::uint64_t>(chunk, count - done));
        for (std::size_t i = 0; i < size; ++i) {
            const double value = spread(random);
            arguments[i] = i % 4 == 0 ? value : std::ldexp(value, -static_cast<int>(random() % deepest_scaling));
        }
        FastForm::exponentials(arguments.data(), results.data(), size);
        for (std::size_t i = 0; i < size; ++i) {
            const long long ulps = ulp_distance(results[i], std::exp(arguments[i]));
            if (ulps == 1)
                ++result.off_by_one;
            if (ulps > result.worst_ulps) {
                result.worst_ulps = ulps;
                result.worst_argument = arguments[i];
            }
            const double scalar = engine_exp(arguments[i]);
            if (std::memcmp(&scalar, &results[i], sizeof scalar) != 0)
                ++result.unlike_scalar;
        }
    }
    return result;
}
