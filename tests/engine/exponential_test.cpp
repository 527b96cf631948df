// The engine's exponential and logistic function: special arguments and a random sweep on
// every kernel set, against the C library's exp; the long sweep is exponential_sweep.
#include "engine/fast_form.h"
#include "engine/logistic.h"

#include "tests/engine/exponential_sweep.h"
#include "tests/engine/kernel_choice.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

namespace {

constexpr double infinity = std::numeric_limits<double>::infinity();
constexpr double nan = std::numeric_limits<double>::quiet_NaN();
constexpr double largest_finite_argument = 0x1.62e42fefa39efp+9;  // e^x just below the largest double
constexpr double smallest_nonzero_argument = -0x1.74910d52d3051p+9;  // e^x the smallest subnormal

struct Special {
    double argument;
    double expected;  // exactly; NaN for NaN
};

const Special specials[] = {
    {0.0, 1.0},
    {-0.0, 1.0},
    {infinity, infinity},
    {-infinity, 0.0},
    {nan, nan},
    {std::numeric_limits<double>::denorm_min(), 1.0},
    {-std::numeric_limits<double>::denorm_min(), 1.0},
    {1e-300, 1.0},
    {std::nextafter(largest_finite_argument, infinity), infinity},
    {710.0, infinity},
    {1e300, infinity},
    {std::numeric_limits<double>::max(), infinity},
    {std::nextafter(smallest_nonzero_argument, -infinity), 0.0},
    {-746.0, 0.0},
    {-1e300, 0.0},
    {std::numeric_limits<double>::lowest(), 0.0},
};

// Arguments where the result is checked against the library's within 1 ulp: the edges of the
// finite results, the subnormal range, the edges where 2^k takes two factors instead of one,
// the reduction's boundaries at +-ln2/2, and around 0.
const double near_edges[] = {
    largest_finite_argument, 709.0, std::nextafter(709.0, infinity), smallest_nonzero_argument, -745.0, -708.4,
    -708.3, -708.0, std::nextafter(-708.0, -infinity), -720.0,
    0.5 * M_LN2, std::nextafter(0.5 * M_LN2, 1.0), -0.5 * M_LN2, 1.5 * M_LN2, 1.0, -1.0, 1e-8, -1e-8,
    36.7, -36.7, 20.0, -20.0,
};

bool same_bits(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

class Exponential : public OnEveryKernel {
protected:
    // The chosen kernel set's exp of each argument, and the scalar's must give the same bits.
    std::vector<double> on_kernels(const std::vector<double>& arguments)
    {
        std::vector<double> results(arguments.size());
        FastForm::exponentials(arguments.data(), results.data(), arguments.size());
        for (std::size_t i = 0; i < arguments.size(); ++i) {
            const double scalar = engine_exp(arguments[i]);
            EXPECT_TRUE(same_bits(results[i], scalar) || (std::isnan(results[i]) && std::isnan(scalar)))
                << "argument " << arguments[i] << ": " << results[i] << " against the scalar's " << scalar;
        }
        return results;
    }
};

TEST_P(Exponential, GivesSpecialArgumentsTheirExactResults)
{
    std::vector<double> arguments;
    for (const Special& special : specials)
        arguments.push_back(special.argument);
    const std::vector<double> results = on_kernels(arguments);
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const double expected = specials[i].expected;
        EXPECT_TRUE(std::isnan(expected) ? std::isnan(results[i]) : results[i] == expected)
            << "exp(" << arguments[i] << ") = " << results[i] << ", expected " << expected;
        EXPECT_LE(ulp_distance(results[i], std::exp(arguments[i])), 0) << "argument " << arguments[i];
    }
}

TEST_P(Exponential, StaysWithinOneUlpAtTheEdgesOfItsRange)
{
    const std::vector<double> arguments(std::begin(near_edges), std::end(near_edges));
    const std::vector<double> results = on_kernels(arguments);
    for (std::size_t i = 0; i < arguments.size(); ++i)
        EXPECT_LE(ulp_distance(results[i], std::exp(arguments[i])), 1) << "argument " << arguments[i];
    EXPECT_TRUE(std::isfinite(results[0]));
}

TEST_P(Exponential, StaysWithinOneUlpOfTheLibraryOnRandomArguments)
{
    // The full 10^8 arguments run in exponential_sweep.
    const SweepResult result = sweep_exponential(1000000, 5);
    EXPECT_LE(result.worst_ulps, 1) << "at " << result.worst_argument;
    EXPECT_EQ(result.unlike_scalar, 0);
}

RUN_ON_EVERY_KERNEL(Exponential);

TEST(Logistic, SaturatesAndPassesNaNOn)
{
    struct Case {
        double sum, threshold, slope, expected;
    };
    const Case cases[] = {
        {0.0, 0.0, 1.0, 0.5},
        {1000.0, 0.0, 1.0, 1.0},
        {-1000.0, 0.0, 1.0, 0.0},
        {infinity, 0.0, 1.0, 1.0},
        {-infinity, 0.0, 1.0, 0.0},
        {40.0, 0.0, 1.0, 1.0},        // e^-40 vanishes beside 1
        {-800.0, 0.0, 1.0, 0.0},      // e^800 overflows
        {5.0, 5.0, 1e300, 0.5},
        {nan, 0.0, 1.0, nan},
        {1.0, nan, 1.0, nan},
        {1.0, 0.0, nan, nan},
        {infinity, infinity, 1.0, nan},
    };
    for (const Case& c : cases) {
        const double output = engine_logistic(c.sum, c.threshold, c.slope);
        EXPECT_TRUE(std::isnan(c.expected) ? std::isnan(output) : output == c.expected)
            << "sum " << c.sum << " threshold " << c.threshold << " slope " << c.slope << ": " << output;
    }
}

}  // namespace
