// The vector of four doubles the fast form's kernels compute with, one lane per neuron, and its
// loads, stores, transposition and clamps. Included by the kernels alone.
#ifndef ENGINE_FAST_FORM_LANES_H
#define ENGINE_FAST_FORM_LANES_H

#include "engine/fast_form.h"

#include <cstring>

#define FAST_INLINE __attribute__((always_inline)) inline

namespace {

constexpr int lanes = FastForm::lanes;
constexpr int narrowest_block = FastForm::narrowest_block;
constexpr int part_width = FastForm::part_width;

// Four doubles, loadable from any 8-byte aligned address. Functions that pass them are always
// inlined: the AVX2 and baseline kernels would disagree on how to pass them across a call.
typedef double Lanes __attribute__((vector_size(lanes * sizeof(double)), aligned(sizeof(double))));

FAST_INLINE Lanes load(const double* from)
{
    Lanes value;
    std::memcpy(&value, from, sizeof value);
    return value;
}

FAST_INLINE void store(double* to, Lanes value)
{
    std::memcpy(to, &value, sizeof value);
}

FAST_INLINE Lanes broadcast(double value)
{
    return Lanes{value, value, value, value};
}

// The first `count` (1 to 4) values at `from` in lanes, the other lanes 0. Value by value, so
// that values just stored one by one are read without waiting for them to reach the cache.
FAST_INLINE Lanes load_part(const double* from, int count)
{
    return Lanes{from[0], count > 1 ? from[1] : 0.0, count > 2 ? from[2] : 0.0, count > 3 ? from[3] : 0.0};
}

// Lane k of rows[0..3] into columns[k], for k = 0..3.
FAST_INLINE void transpose(const Lanes* rows, Lanes* columns)
{
    const Lanes even_01 = __builtin_shufflevector(rows[0], rows[1], 0, 4, 2, 6);
    const Lanes odd_01 = __builtin_shufflevector(rows[0], rows[1], 1, 5, 3, 7);
    const Lanes even_23 = __builtin_shufflevector(rows[2], rows[3], 0, 4, 2, 6);
    const Lanes odd_23 = __builtin_shufflevector(rows[2], rows[3], 1, 5, 3, 7);
    columns[0] = __builtin_shufflevector(even_01, even_23, 0, 1, 4, 5);
    columns[1] = __builtin_shufflevector(odd_01, odd_23, 0, 1, 4, 5);
    columns[2] = __builtin_shufflevector(even_01, even_23, 2, 3, 6, 7);
    columns[3] = __builtin_shufflevector(odd_01, odd_23, 2, 3, 6, 7);
}

// Two doubles: the widest vector the baseline's instruction sets have.
typedef double Pair __attribute__((vector_size(2 * sizeof(double))));

// w clamped to limit and to -limit, in that order, for one double or a vector of them.
template <typename Vector>
FAST_INLINE Vector clamp(Vector w, Vector limit)
{
    w = w > limit ? limit : w;
    return w < -limit ? -limit : w;
}

#if defined(__wasm_simd128__)
// WebAssembly's pmin and pmax are these two selections exactly, one instruction each.
template <>
FAST_INLINE Pair clamp(Pair w, Pair limit)
{
    return __builtin_wasm_pmax_f64x2(__builtin_wasm_pmin_f64x2(w, limit), -limit);
}
#endif

// Where the vectors of four lanes are pairs of narrower registers (`in_pairs`), a compiler
// would compare them lane by lane; this compares each pair whole.
template <bool in_pairs>
FAST_INLINE Lanes clamp_lanes(Lanes w, Lanes limit)
{
    if constexpr (in_pairs) {
        const Pair low = clamp(Pair{w[0], w[1]}, Pair{limit[0], limit[1]});
        const Pair high = clamp(Pair{w[2], w[3]}, Pair{limit[2], limit[3]});
        return Lanes{low[0], low[1], high[0], high[1]};
    } else {
        return clamp(w, limit);
    }
}

}  // namespace

#endif
