// Which patterns a run holds out of training, and the order of shuffled rows: a seeded shuffle
// of the pattern indices with the engine's RandomSource, the same on every platform and the page.
#include "engine/training_run.h"

#include "engine/random_source.h"

#include <algorithm>
#include <cmath>

namespace {

// Two draws of 15 bits make one of 30, enough for any pattern count a file can hold.
constexpr int draw_bits = 15;

int draw_below(RandomSource& random, int bound)
{
    const long long wide = (static_cast<long long>(random.next()) << draw_bits) | random.next();
    return static_cast<int>(wide % bound);
}

// Sets `order` to 0 to count - 1 and draws its first `places` places of a Fisher-Yates shuffle
// front to back, so that a shorter shuffle is the start of a longer one.
void shuffle_front(int count, int places, std::uint32_t seed, std::vector<int>& order)
{
    order.resize(static_cast<std::size_t>(std::max(count, 0)));
    for (int i = 0; i < count; ++i)
        order[static_cast<std::size_t>(i)] = i;
    RandomSource random(seed);
    for (int i = 0; i < places; ++i) {
        const int j = i + draw_below(random, count - i);
        std::swap(order[static_cast<std::size_t>(i)], order[static_cast<std::size_t>(j)]);
    }
}

}  // namespace

int held_out_count(int pattern_count, double share)
{
    if (!(share > 0.0) || pattern_count < 2)
        return 0;
    const double wanted = std::round(std::min(share, max_held_out_share) * pattern_count);
    return std::min(static_cast<int>(wanted), pattern_count - 1);
}

void choose_held_out(int pattern_count, double share, std::uint32_t seed, std::vector<char>& held_out)
{
    const int count = held_out_count(pattern_count, share);
    held_out.assign(count > 0 ? static_cast<std::size_t>(pattern_count) : 0, 0);
    if (count == 0)
        return;
    std::vector<int> order;
    shuffle_front(pattern_count, count, seed, order);
    for (int i = 0; i < count; ++i)
        held_out[static_cast<std::size_t>(order[static_cast<std::size_t>(i)])] = 1;
}

void shuffled_order(int pattern_count, std::uint32_t seed, std::vector<int>& order)
{
    // The last place is the one index left: no draw for it.
    shuffle_front(pattern_count, std::max(pattern_count - 1, 0), seed, order);
}
