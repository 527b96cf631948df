// The random numbers of the scenarios and the evolution: splitmix64, whose numbers are the
// same on every platform and standard library, with uniform and normal draws on top.
#ifndef CREATURE_EVOLUTION_PORTABLE_RANDOM_H
#define CREATURE_EVOLUTION_PORTABLE_RANDOM_H

#include <cstdint>

class PortableRandom {
public:
    explicit PortableRandom(std::uint64_t seed) : state(seed ^ 0x9E3779B97F4A7C15ull) {}

    std::uint32_t next()
    {
        state += 0x9E3779B97F4A7C15ull;
        std::uint64_t z = state;
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return static_cast<std::uint32_t>((z ^ (z >> 31)) >> 32);
    }

    // Evenly from 0 (included) to 1 (excluded).
    double uniform() { return next() / 4294967296.0; }
    // Standard normal, by the Box-Muller transform.
    double normal();

private:
    std::uint64_t state;
};

#endif
