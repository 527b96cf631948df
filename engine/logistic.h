// The engine's own exponential and logistic function, written once for plain doubles and for
// vectors of doubles: the same multiplies and adds in the same order, so a neuron computed
// alone, in any vector kernel or on any architecture gives the same bits.
#ifndef ENGINE_LOGISTIC_H
#define ENGINE_LOGISTIC_H

#include <cstdint>
#include <cstring>

namespace logistic_detail {

// Below this range every result rounds to 0, above it to infinity; within it the scaling by
// 2^k below has |k| <= 1076. The range is checked beside the computation, not before it.
constexpr double lowest_argument = -746.0;
constexpr double highest_argument = 710.0;
constexpr double infinity = __builtin_inf();

constexpr double inverse_ln2 = 0x1.71547652b82fep0;
// ln 2 in two parts; k * ln2_high is exact for every k the clamp allows.
constexpr double ln2_high = 0x1.62e42feep-1;
constexpr double ln2_low = 0x1.a39ef35793c76p-33;
// Within these arguments 2^k is a normal number and e^r * 2^k a normal result, exact in one
// multiply.
constexpr double lowest_one_factor_argument = -708.0;
constexpr double highest_one_factor_argument = 709.0;
constexpr std::uint64_t exponent_bias = 1023;
// Adding 1.5 * 2^52 rounds to the nearest integer and leaves it in the low bits.
constexpr double round_shifter = 0x1.8p52;
constexpr std::uint64_t shifter_bits = 0x4338000000000000ULL;
// The integer k is carried as k + 2048 so that halving it needs no arithmetic shift.
constexpr std::uint64_t k_bias = 2048;
constexpr int exponent_shift = 52;

// q(r) = (e^r - 1 - r) / r^2 on [-ln2/2, ln2/2], a degree-10 Chebyshev fit (relative error
// below 0.01 ulp).
constexpr double q0 = 0x1.0000000000000p-1;
constexpr double q1 = 0x1.5555555555557p-3;
constexpr double q2 = 0x1.5555555555556p-5;
constexpr double q3 = 0x1.11111111100dfp-7;
constexpr double q4 = 0x1.6c16c16c162d6p-10;
constexpr double q5 = 0x1.a01a01abe62ddp-13;
constexpr double q6 = 0x1.a01a01a6d7808p-16;
constexpr double q7 = 0x1.71de02375656cp-19;
constexpr double q8 = 0x1.27e4db67b4303p-22;
constexpr double q9 = 0x1.af4ddd84882fep-26;
constexpr double q10 = 0x1.1f72fc730b4ffp-29;

template <class Real>
struct BitsOf {
    // A vector of doubles: its bits are a vector of as many 64-bit integers.
    typedef std::uint64_t type __attribute__((vector_size(sizeof(Real)), aligned(sizeof(double))));
};
template <>
struct BitsOf<double> {
    typedef std::uint64_t type;
};

template <class Real>
inline __attribute__((always_inline)) typename BitsOf<Real>::type bits_of(Real value)
{
    typename BitsOf<Real>::type bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

template <class Real>
inline __attribute__((always_inline)) Real real_of(typename BitsOf<Real>::type bits)
{
    Real value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// Whether a comparison holds for every lane; for plain doubles, whether it holds.
inline __attribute__((always_inline)) bool every_lane(bool holds)
{
    return holds;
}

// A vector comparison gives each lane all ones or zero; their bitwise and, lane after lane,
// needs no branch.
template <class Mask>
inline __attribute__((always_inline)) bool every_lane(Mask holds)
{
    auto every = holds[0];
    for (unsigned lane = 1; lane < sizeof holds / sizeof holds[0]; ++lane)
        every &= holds[lane];
    return every != 0;
}

}  // namespace logistic_detail

// e^x within 1 ulp of the correctly rounded value for every argument: 0 below about -745.13,
// infinity above about 709.78, NaN for NaN. `Real` is double or a GCC vector of doubles.
template <class Real>
inline __attribute__((always_inline)) Real engine_exp(Real x)
{
    using namespace logistic_detail;
    typedef typename BitsOf<Real>::type Bits;

    // x = k ln2 + r with |r| <= ln2 / 2, r kept as high - low.
    const Real shifted = x * inverse_ln2 + round_shifter;
    const Real k = shifted - round_shifter;
    const Real high = x - k * ln2_high;
    const Real low = k * ln2_low;
    const Real r = high - low;

    // e^r = 1 + r + r^2 q(r), q in Estrin's order, which keeps the chain of operations short.
    const Real r2 = r * r;
    const Real r4 = r2 * r2;
    const Real r8 = r4 * r4;
    const Real q01 = q0 + q1 * r;
    const Real q23 = q2 + q3 * r;
    const Real q45 = q4 + q5 * r;
    const Real q67 = q6 + q7 * r;
    const Real q89 = q8 + q9 * r;
    const Real q03 = q01 + q23 * r2;
    const Real q47 = q45 + q67 * r2;
    const Real q810 = q89 + q10 * r2;
    const Real q = (q03 + q47 * r4) + q810 * r8;
    const Real e_r = 1.0 + (high + (r2 * q - low));

    const Bits biased = bits_of(shifted) - shifter_bits + k_bias;
    // Nearly every argument: 2^k in one factor, whose product has the bits of the two factors
    // below without the range's checks.
    if (every_lane(x >= lowest_one_factor_argument && x <= highest_one_factor_argument))
        return e_r * real_of<Real>((biased - k_bias + exponent_bias) << exponent_shift);
    // 2^k in two factors, each a normal number for every k, so results near overflow and in
    // the subnormal range are rounded once, by the last multiply.
    const Bits half = biased >> 1;
    const Real first_factor = real_of<Real>((half - 1) << exponent_shift);
    const Real second_factor = real_of<Real>((biased - half - 1) << exponent_shift);
    const Real result = (e_r * first_factor) * second_factor;
    // Outside the range the steps above computed nothing of use, a NaN included; a NaN
    // argument has given a NaN.
    return x < lowest_argument ? Real{} : x > highest_argument ? Real{} + infinity : result;
}

// The logistic function of a neuron: 1 / (1 + e^(-slope * (sum - threshold))). Saturates to
// exactly 0 and 1; NaN stays NaN.
template <class Real>
inline __attribute__((always_inline)) Real engine_logistic(Real sum, Real threshold, Real slope)
{
    const Real net = sum - threshold;
    return 1.0 / (1.0 + engine_exp(-slope * net));
}

#endif
