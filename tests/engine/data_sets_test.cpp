// The classroom data sets: counts, balance, range, the clean shapes at noise 0, fixed bits
// for one seed (held on every platform), the CSV table read back, and the refusals.
#include "engine/data_sets.h"

#include "engine/csv_patterns.h"
#include "tests/engine/network_files.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

namespace {

DataSet made(const std::string& name, long long points, double noise, std::uint32_t seed)
{
    DataSet data;
    std::string problem;
    EXPECT_TRUE(make_data_set(name, points, noise, seed, data, problem)) << problem;
    return data;
}

// FNV-1a over the bits of every input, then every target.
std::uint64_t checksum(const DataSet& data)
{
    std::uint64_t hash = 0xcbf29ce484222325ULL;
    auto add = [&hash](double value) {
        std::uint64_t bits;
        std::memcpy(&bits, &value, sizeof bits);
        for (int byte = 0; byte < 8; ++byte) {
            hash ^= (bits >> (8 * byte)) & 0xff;
            hash *= 0x100000001b3ULL;
        }
    };
    for (double value : data.inputs)
        add(value);
    for (double value : data.targets)
        add(value);
    return hash;
}

TEST(DataSets, CountsBalanceAndRange)
{
    for (const std::string& name : data_set_names()) {
        for (double noise : {0.0, 0.5}) {
            const DataSet data = made(name, 101, noise, 3);
            ASSERT_EQ(data.inputs.size(), 202u) << name;
            ASSERT_EQ(data.targets.size(), 101u) << name;
            int ones = 0;
            for (double target : data.targets) {
                EXPECT_TRUE(target == 0.0 || target == 1.0) << name;
                ones += target == 1.0;
            }
            EXPECT_EQ(ones, 50) << name;
            for (double input : data.inputs)
                EXPECT_TRUE(input >= 0.0 && input <= 1.0) << name << " " << input;
        }
    }
}

// Without noise every point lies on its class's shape.
TEST(DataSets, NoiseZeroGivesTheCleanShapes)
{
    const double pi = 3.14159265358979323846;
    int gaussians_nearer_own_centre = 0;
    for (const std::string& name : data_set_names()) {
        const DataSet data = made(name, 400, 0.0, 11);
        for (std::size_t i = 0; i < data.targets.size(); ++i) {
            const double x = data.inputs[2 * i] - 0.5, y = data.inputs[2 * i + 1] - 0.5;
            const double radius = std::sqrt(x * x + y * y);
            const bool one = data.targets[i] == 1.0;
            if (name == "xor") {
                EXPECT_EQ((x > 0) != (y > 0), one);
                EXPECT_GE(std::fabs(x), 0.05 - 1e-12);
                EXPECT_GE(std::fabs(y), 0.05 - 1e-12);
            } else if (name == "circle") {
                EXPECT_TRUE(one ? radius <= 0.2 + 1e-12 : radius >= 0.3 - 1e-12 && radius <= 0.45 + 1e-12);
            } else if (name == "gaussians") {
                gaussians_nearer_own_centre += (x + y > 0) == one;
            } else {
                // On its spiral: the angle that the radius gives, turned by pi for class 1.
                const double s = (radius - 0.05) / 0.4;
                const double angle = 3.5 * pi * s + (one ? pi : 0.0);
                EXPECT_NEAR(x, radius * std::cos(angle), 1e-12);
                EXPECT_NEAR(y, radius * std::sin(angle), 1e-12);
            }
        }
    }
    EXPECT_GE(gaussians_nearer_own_centre, 396);
}

// The same bits on glibc, ARM and WebAssembly; a change here changes every stored lesson.
TEST(DataSets, FixedBitsForOneSeed)
{
    const struct {
        const char* name;
        std::uint64_t sum;
    } table[] = {
        {"xor", 0x185f80c05cabe406ULL},
        {"circle", 0xe911f1cabaf35679ULL},
        {"gaussians", 0xf0d80c96f3946d56ULL},
        {"spirals", 0xb8083b55d73e8f88ULL},
    };
    for (const auto& row : table)
        EXPECT_EQ(checksum(made(row.name, 64, 0.1, 2026)), row.sum) << row.name;
    EXPECT_NE(checksum(made("xor", 64, 0.1, 2026)), checksum(made("xor", 64, 0.1, 2027)));
}

TEST(DataSets, CsvTableReadsBackToTheSameBits)
{
    const DataSet data = made("spirals", 50, 0.2, 5);
    const TempDir directory;
    Network network = Network::from_text(network_layers({2, 1}));
    ASSERT_EQ(read_csv_patterns(network, directory.write("spirals.csv", data_set_csv(data)).c_str()), 0);
    ASSERT_EQ(network.pattern_count(), 50);
    for (int i = 0; i < 50; ++i) {
        EXPECT_EQ(network.pattern(i).inputs, std::vector<double>(&data.inputs[2 * i], &data.inputs[2 * i + 2]));
        EXPECT_EQ(network.pattern(i).expected_outputs, std::vector<double>{data.targets[i]});
    }
}

TEST(DataSets, BadArgumentsAreRefused)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const struct {
        const char* name;
        long long points;
        double noise;
    } table[] = {
        {"moons", 10, 0.0},
        {"", 10, 0.0},
        {"xor", 0, 0.0},
        {"xor", -5, 0.0},
        {"xor", data_set_max_points + 1, 0.0},
        {"xor", 10, -0.01},
        {"xor", 10, 0.51},
        {"xor", 10, nan},
    };
    for (const auto& row : table) {
        DataSet data{{1.0}, {1.0}};
        std::string problem;
        EXPECT_FALSE(make_data_set(row.name, row.points, row.noise, 0, data, problem)) << row.name << row.points;
        EXPECT_FALSE(problem.empty());
        EXPECT_TRUE(data.inputs.empty() && data.targets.empty());
    }
}

}  // namespace
