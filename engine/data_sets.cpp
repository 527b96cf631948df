// The classroom data sets, drawn from RandomSource with + - * / and sqrt only, so that every
// platform gives the same bits.
#include "engine/data_sets.h"

#include "engine/random_source.h"
#include "engine/real_text.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double centre = 0.5;
constexpr double pi = 0x1.921fb54442d18p1;

// pi / 2 in two parts; k * half_pi_high is exact for every quadrant count k below 2^20.
constexpr double half_pi_high = 0x1.921fb544p0;
constexpr double half_pi_low = 0x1.0b4611a626331p-34;
constexpr double two_over_pi = 0x1.45f306dc9c883p-1;

// Uniform doubles take three draws of 15 bits.
constexpr int draw_bits = 15;
constexpr double uniform_scale = 1.0 / 35184372088832.0;  // 2^-45
constexpr int normal_terms = 12;

// "xor": each coordinate's cell is 0.05..0.45 or 0.55..0.95.
constexpr double xor_margin = 0.05;
constexpr double xor_cell_width = 0.4;
// "circle": the inner disc and the outer ring.
constexpr double circle_inner_radius = 0.2;
constexpr double ring_low_radius = 0.3;
constexpr double ring_high_radius = 0.45;
// "gaussians"
constexpr double gaussian_low_centre = 0.3;
constexpr double gaussian_high_centre = 0.7;
constexpr double gaussian_deviation = 0.1;
// "spirals": 1.75 turns from radius 0.05 to 0.45.
constexpr double spiral_low_radius = 0.05;
constexpr double spiral_radius_span = 0.4;
constexpr double spiral_angle_span = 3.5 * pi;

class Draws {
public:
    explicit Draws(std::uint32_t seed) : source(seed) {}

    // 0 <= u < 1, a multiple of 2^-45.
    double uniform()
    {
        const std::int64_t high = source.next();
        const std::int64_t middle = source.next();
        const std::int64_t low = source.next();
        return static_cast<double>((high << (2 * draw_bits)) | (middle << draw_bits) | low) * uniform_scale;
    }

    // Mean 0, variance 1: the Irwin-Hall sum of twelve uniform draws, less 6.
    double normal()
    {
        double sum = 0.0;
        for (int term = 0; term < normal_terms; ++term)
            sum += uniform();
        return sum - normal_terms / 2;
    }

private:
    RandomSource source;
};

// Taylor polynomials on |r| <= pi / 4, below an ulp of error there.
double sine_near_zero(double r)
{
    const double r2 = r * r;
    return r + r * r2 * (-1.0 / 6 + r2 * (1.0 / 120 + r2 * (-1.0 / 5040 + r2 * (1.0 / 362880 +
           r2 * (-1.0 / 39916800 + r2 * (1.0 / 6227020800.0 + r2 * (-1.0 / 1307674368000.0)))))));
}

double cosine_near_zero(double r)
{
    const double r2 = r * r;
    return 1.0 + r2 * (-1.0 / 2 + r2 * (1.0 / 24 + r2 * (-1.0 / 720 + r2 * (1.0 / 40320 +
           r2 * (-1.0 / 3628800 + r2 * (1.0 / 479001600.0 + r2 * (-1.0 / 87178291200.0 +
           r2 * (1.0 / 20922789888000.0))))))));
}

struct SineCosine {
    double sine, cosine;
};

// For the angles of the spirals (0 to about 14): x = k pi / 2 + r, then the quadrant k mod 4
// picks the polynomial and the sign.
SineCosine sine_cosine(double x)
{
    const double k = std::floor(x * two_over_pi + 0.5);
    const double r = (x - k * half_pi_high) - k * half_pi_low;
    const double s = sine_near_zero(r);
    const double c = cosine_near_zero(r);
    switch (static_cast<long long>(k) & 3) {
    case 0: return {s, c};
    case 1: return {c, -s};
    case 2: return {-s, -c};
    default: return {-c, s};
    }
}

struct Point {
    double x, y;
};

// Uniform in the ring low_radius <= r <= high_radius around the centre, by rejection from
// the square around it.
Point in_ring(Draws& draws, double low_radius, double high_radius)
{
    for (;;) {
        const double x = (2.0 * draws.uniform() - 1.0) * high_radius;
        const double y = (2.0 * draws.uniform() - 1.0) * high_radius;
        const double square = x * x + y * y;
        if (square >= low_radius * low_radius && square <= high_radius * high_radius)
            return {centre + x, centre + y};
    }
}

Point xor_point(Draws& draws, long long index, int class_of)
{
    // The class's two corners in turn: class 0 low-low and high-high, class 1 low-high and
    // high-low.
    const bool x_high = (index / 2) % 2 == 1;
    const bool y_high = x_high != (class_of == 1);
    const double x = (x_high ? centre : 0.0) + xor_margin + xor_cell_width * draws.uniform();
    const double y = (y_high ? centre : 0.0) + xor_margin + xor_cell_width * draws.uniform();
    return {x, y};
}

Point gaussian_point(Draws& draws, int class_of)
{
    const double mean = class_of == 1 ? gaussian_high_centre : gaussian_low_centre;
    const double x = mean + gaussian_deviation * draws.normal();
    const double y = mean + gaussian_deviation * draws.normal();
    return {x, y};
}

Point spiral_point(Draws& draws, int class_of)
{
    const double s = draws.uniform();
    const double radius = spiral_low_radius + spiral_radius_span * s;
    const SineCosine turn = sine_cosine(spiral_angle_span * s + pi * class_of);
    return {centre + radius * turn.cosine, centre + radius * turn.sine};
}

enum class Shape { exclusive_or, circle, gaussians, spirals };

double clamped(double value)
{
    return std::min(1.0, std::max(0.0, value));
}

}  // namespace

const std::vector<std::string>& data_set_names()
{
    static const std::vector<std::string> names = {"xor", "circle", "gaussians", "spirals"};
    return names;
}

bool make_data_set(std::string_view name, long long points, double noise, std::uint32_t seed, DataSet& data,
                   std::string& problem)
{
    data.inputs.clear();
    data.targets.clear();
    const std::vector<std::string>& names = data_set_names();
    const auto found = std::find(names.begin(), names.end(), name);
    if (found == names.end()) {
        problem = "no data set is named '" + std::string(name) + "' (xor, circle, gaussians or spirals)";
        return false;
    }
    if (points < 1 || points > data_set_max_points) {
        problem = "the number of points must be 1 to " + std::to_string(data_set_max_points);
        return false;
    }
    if (!(noise >= 0.0 && noise <= data_set_max_noise)) {
        problem = "the noise must be 0 to " + shortest_real_text(data_set_max_noise);
        return false;
    }
    const Shape shape = static_cast<Shape>(found - names.begin());
    Draws draws(seed);
    data.inputs.reserve(static_cast<std::size_t>(points) * data_set_input_count);
    data.targets.reserve(static_cast<std::size_t>(points));
    for (long long index = 0; index < points; ++index) {
        const int class_of = static_cast<int>(index % 2);
        Point point{};
        switch (shape) {
        case Shape::exclusive_or: point = xor_point(draws, index, class_of); break;
        case Shape::circle:
            point = class_of == 1 ? in_ring(draws, 0.0, circle_inner_radius)
                                  : in_ring(draws, ring_low_radius, ring_high_radius);
            break;
        case Shape::gaussians: point = gaussian_point(draws, class_of); break;
        case Shape::spirals: point = spiral_point(draws, class_of); break;
        }
        // Drawn for every point, so the clean shape at any noise is the same.
        const double x_shift = draws.normal();
        const double y_shift = draws.normal();
        data.inputs.push_back(clamped(point.x + noise * x_shift));
        data.inputs.push_back(clamped(point.y + noise * y_shift));
        data.targets.push_back(class_of);
    }
    return true;
}

std::string data_set_csv(const DataSet& data)
{
    std::string text = "x1,x2,target\n";
    for (std::size_t point = 0; point < data.targets.size(); ++point) {
        text += shortest_real_text(data.inputs[data_set_input_count * point]) + ',' +
                shortest_real_text(data.inputs[data_set_input_count * point + 1]) + ',' +
                shortest_real_text(data.targets[point]) + '\n';
    }
    return text;
}
