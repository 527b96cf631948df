// Networks from text in memory and to any stream: the same networks, diagnostics and bytes as
// through files, and a random completion that a seed repeats.
#include "engine/diagnostics.h"
#include "engine/network.h"

#include "tests/engine/network_files.h"

#include <gtest/gtest.h>

#include <ctime>
#include <sstream>
#include <streambuf>

using namespace std::string_literals;

namespace {

// Network files of every kind the project ships: examples, test data, hostile files.
const char* const shipped_files[] = {
    EXAMPLES_DIR "/xor.txt",         EXAMPLES_DIR "/avoider.txt",
    EXAMPLES_DIR "/circler.txt",     EXAMPLES_DIR "/circler_training.txt",
    EXAMPLES_DIR "/follower.txt",    EXAMPLES_DIR "/exclusive_or_training.txt",
    EXAMPLES_DIR "/config_generated.txt",
    TEST_DATA_DIR "/xor_example.txt", TEST_DATA_DIR "/missing_weights.txt",
    TEST_DATA_DIR "/or_training.txt", TEST_DATA_DIR "/hostile_comp_layer_first.txt",
    TEST_DATA_DIR "/hostile_huge_input_layer.txt", TEST_DATA_DIR "/hostile_negative_input_layer.txt",
    TEST_DATA_DIR "/hostile_second_input_layer.txt", TEST_DATA_DIR "/hostile_two_huge_layers.txt",
};

void expect_same_diagnostics(const Diagnostics& expected, const Diagnostics& actual)
{
    ASSERT_EQ(expected.entries.size(), actual.entries.size());
    for (std::size_t i = 0; i < expected.entries.size(); ++i) {
        EXPECT_EQ(expected.entries[i].line, actual.entries[i].line);
        EXPECT_EQ(expected.entries[i].message, actual.entries[i].message);
    }
    EXPECT_EQ(expected.dropped, actual.dropped);
    EXPECT_EQ(expected.pattern_lines, actual.pattern_lines);
}

void expect_same_network(const Network& expected, const Network& actual)
{
    ASSERT_EQ(expected.layer_count(), actual.layer_count());
    for (int layer = 0; layer < expected.layer_count(); ++layer)
        EXPECT_EQ(expected.layer_size(layer), actual.layer_size(layer));
    ASSERT_EQ(expected.neuron_count(), actual.neuron_count());
    for (int position = 0; position < expected.neuron_count(); ++position) {
        const Neuron& a = expected.neuron(position);
        const Neuron& b = actual.neuron(position);
        EXPECT_EQ(a.is_computing, b.is_computing);
        EXPECT_EQ(a.threshold, b.threshold);
        EXPECT_EQ(a.slope_parameter, b.slope_parameter);
        EXPECT_EQ(a.learning_rate, b.learning_rate);
        EXPECT_EQ(a.max_weight, b.max_weight);
        ASSERT_EQ(a.connections.size(), b.connections.size()) << "neuron " << position;
        for (std::size_t k = 0; k < a.connections.size(); ++k) {
            EXPECT_EQ(a.connections[k].source, b.connections[k].source);
            EXPECT_EQ(a.connections[k].weight, b.connections[k].weight);
        }
    }
    EXPECT_EQ(expected.error_limit, actual.error_limit);
    EXPECT_EQ(expected.max_iterations, actual.max_iterations);
    ASSERT_EQ(expected.pattern_count(), actual.pattern_count());
    for (int index = 0; index < expected.pattern_count(); ++index) {
        EXPECT_EQ(expected.pattern(index).inputs, actual.pattern(index).inputs);
        EXPECT_EQ(expected.pattern(index).expected_outputs, actual.pattern(index).expected_outputs);
    }
}

// A stream buffer that takes `room` characters and then refuses, as a full disk does.
class FullBuffer : public std::streambuf {
public:
    explicit FullBuffer(std::size_t room) : room(room) {}

protected:
    int_type overflow(int_type character) override
    {
        if (room == 0 || traits_type::eq_int_type(character, traits_type::eof()))
            return traits_type::eof();
        --room;
        return character;
    }

private:
    std::size_t room;
};

}  // namespace

TEST(NetworkFromText, BuildsWhatTheFileBuildsWithTheSameDiagnostics)
{
    for (const char* path : shipped_files) {
        SCOPED_TRACE(path);
        const std::string text = read_text_file(path);
        ASSERT_FALSE(text.empty());
        // Missing weights are drawn from the clock's second: both must see the same one.
        bool compared = false;
        for (int attempt = 0; attempt < 3 && !compared; ++attempt) {
            const std::time_t before = std::time(nullptr);
            Diagnostics from_file;
            Diagnostics from_memory;
            Network file_network(path, &from_file);
            Network memory_network = Network::from_text(text, &from_memory);
            const int file_result = file_network.read_training_section(path, &from_file);
            const int memory_result = memory_network.read_training_text(text, &from_memory);
            EXPECT_EQ(file_result, memory_result);
            if (std::time(nullptr) != before)
                continue;
            compared = true;
            expect_same_network(file_network, memory_network);
            expect_same_diagnostics(from_file, from_memory);
        }
        EXPECT_TRUE(compared);
    }
}

TEST(NetworkFromText, TextWithoutFinalLineFeedOrWithCarriageReturnsReadsLikeAFile)
{
    for (const std::string& text : {"input_layer: 2\ncomp_layer: 1\nweights: 0.5 -0.25"s,
                                   "input_layer: 2\r\ncomp_layer: 1\r\nweights: 0.5 -0.25\r\n\n\n"s,
                                   "input_layer: 2\ncomp_layer: 1\nweights: 0.5\0 -0.25\n"s}) {
        const TempDir directory;
        const Network from_file(directory.write("n.txt", text).c_str());
        const Network from_memory = Network::from_text(text);
        expect_same_network(from_file, from_memory);
    }
}

TEST(NetworkStreamWriter, WritesTheFileWritersBytes)
{
    const TempDir directory;
    for (const char* path : shipped_files) {
        SCOPED_TRACE(path);
        const Network network(path);
        const std::string written = directory.file("written.txt");
        network.write_network_file(written.c_str());
        std::ostringstream stream;
        stream.width(30);  // formatting left on the stream changes nothing
        EXPECT_TRUE(network.write_network(stream));
        EXPECT_EQ(stream.str(), read_text_file(written));
    }
}

TEST(NetworkStreamWriter, ReportsAStreamThatFails)
{
    const Network network(TEST_DATA_DIR "/xor_example.txt");
    std::ostringstream bad_stream;
    bad_stream.setstate(std::ios::badbit);
    EXPECT_FALSE(network.write_network(bad_stream));

    FullBuffer nearly_full(100);
    std::ostream short_stream(&nearly_full);
    EXPECT_FALSE(network.write_network(short_stream));

    FullBuffer roomy(100000);
    std::ostream roomy_stream(&roomy);
    EXPECT_TRUE(network.write_network(roomy_stream));

    FullBuffer no_room(0);
    std::ostream empty_network_stream(&no_room);
    EXPECT_FALSE(Network(nullptr).write_network(empty_network_stream));
}

TEST(SeededRandomFill, SameSeedSameWeightsOtherSeedOtherWeights)
{
    Network unfilled(nullptr);
    unfilled.read_network_section(TEST_DATA_DIR "/missing_weights.txt");
    ASSERT_EQ(all_weights(unfilled), std::vector<double>{0.5});

    Network first(unfilled);
    Network again(unfilled);
    Network other(unfilled);
    first.fill_random_weights(7);
    again.fill_random_weights(7);
    other.fill_random_weights(8);
    ASSERT_EQ(all_weights(first).size(), 2u);
    EXPECT_EQ(all_weights(first), all_weights(again));
    EXPECT_NE(all_weights(first), all_weights(other));
    EXPECT_EQ(all_weights(first)[0], 0.5);
}

TEST(SeededRandomFill, DrawsTheDocumentedSequence)
{
    // The generator of the C standard's example rand(): seed 1 gives 16838 first, on every platform.
    Network network(nullptr);
    network.read_network_section(TEST_DATA_DIR "/missing_weights.txt");
    network.fill_random_weights(1);
    EXPECT_EQ(all_weights(network)[1], 10.0 * (1.0 - 2.0 * 16838 / 32767));
}
