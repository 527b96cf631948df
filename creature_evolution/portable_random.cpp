// Normal draws for the portable random numbers.
#include "creature_evolution/portable_random.h"

#include <cmath>

double PortableRandom::normal()
{
    constexpr double two_pi = 6.28318530717958647692;
    // 1 - uniform() lies in (0, 1], so the logarithm is finite.
    const double radius = std::sqrt(-2.0 * std::log(1.0 - uniform()));
    return radius * std::cos(two_pi * uniform());
}
