// The engine's pseudo-random integers, 0 to 32767 on every platform: the portable
// linear congruential generator of the C standard's example rand().
#ifndef ENGINE_RANDOM_SOURCE_H
#define ENGINE_RANDOM_SOURCE_H

class RandomSource {
public:
    static constexpr int max_value = 32767;

    explicit RandomSource(unsigned long seed) : state(seed) {}

    int next()
    {
        state = state * 1103515245u + 12345u;
        return static_cast<int>((state / 65536u) % 32768u);
    }

private:
    unsigned long state;
};

#endif
