// The engine's pseudo-random integers, 0 to 32767 on every platform: the portable linear
// congruential generator of the C standard's example rand(), on a 64-bit state.
#ifndef ENGINE_RANDOM_SOURCE_H
#define ENGINE_RANDOM_SOURCE_H

#include <cstdint>

class RandomSource {
public:
    static constexpr int max_value = 32767;

    // Seeds below 2^31 give the draws they always gave, bits 16 to 30 of the state, which
    // depend only on the seed's low 31 bits. Seeds from 2^31 up take bits 33 to 47 instead,
    // which the seed's top bit reaches, so that every seed gives its own draws.
    explicit RandomSource(std::uint32_t seed)
        : state(seed), shift(seed < first_wide_seed ? narrow_shift : wide_shift)
    {
    }

    int next()
    {
        state = state * 1103515245u + 12345u;
        return static_cast<int>((state >> shift) % 32768u);
    }

private:
    static constexpr std::uint32_t first_wide_seed = 0x80000000u;
    static constexpr int narrow_shift = 16;
    static constexpr int wide_shift = 33;

    std::uint64_t state;
    int shift;
};

#endif
