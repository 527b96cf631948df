// Networks from text in memory and to any stream: the same networks, diagnostics and bytes as
// through files, and a random completion that a seed repeats.
#include "engine/diagnostics.h"
#include "engine/network.h"

#include "tests/engine/network_files.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <ctime>
#include <sstream>
#include <streambuf>

using namespace std::string_literals;

namespace {

// Network files of every kind the project ships: examples, test data, hostile files.
const char* const shipped_files[] = {
    EXAMPLES_DIR "/xor.txt",           EXAMPLES_DIR "/avoider.txt",
    EXAMPLES_DIR "/circler.txt",       EXAMPLES_DIR "/circler_training.txt",
    EXAMPLES_DIR "/follower.txt",      EXAMPLES_DIR "/exclusive_or_training.txt",
    EXAMPLES_DIR "/config_generated.txt", TEST_DATA_DIR "/xor_example.txt",
    TEST_DATA_DIR "/missing_weights.txt", TEST_DATA_DIR "/or_training.txt",
    TEST_DATA_DIR "/hostile_comp_layer_first.txt", TEST_DATA_DIR "/hostile_huge_input_layer.txt",
    TEST_DATA_DIR "/hostile_negative_input_layer.txt", TEST_DATA_DIR "/hostile_second_input_layer.txt",
    TEST_DATA_DIR "/hostile_two_huge_layers.txt",
};

// Everything a network and its reader's notes hold, numbers in exact hexadecimal, one item a
// line, so that two of them compare bit for bit and a difference shows where it is.
std::string contents(const Network& network, const Diagnostics& notes)
{
    std::string text;
    const auto add = [&text](const char* format, auto... values) {
        char line[200];
        std::snprintf(line, sizeof line, format, values...);
        text += line;
    };
    for (int layer = 0; layer < network.layer_count(); ++layer)
        add("layer %d\n", network.layer_size(layer));
    for (int position = 0; position < network.neuron_count(); ++position) {
        const Neuron& n = network.neuron(position);
        add("neuron %d %a %a %a %a\n", n.is_computing, n.threshold, n.slope_parameter, n.learning_rate, n.max_weight);
        for (const Connection& connection : n.connections)
            add(" %d %a\n", connection.source, connection.weight);
    }
    add("training %a %d\n", network.error_limit, network.max_iterations);
    for (int index = 0; index < network.pattern_count(); ++index) {
        for (double value : network.pattern(index).inputs)
            add(" %a", value);
        for (double value : network.pattern(index).expected_outputs)
            add(" -> %a", value);
        add(" at line %d\n", notes.pattern_lines.at(static_cast<std::size_t>(index)));
    }
    for (const Diagnostic& entry : notes.entries)
        text += std::to_string(entry.line) + ": " + entry.message + "\n";
    return text + std::to_string(notes.dropped) + " dropped\n";
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
    const TempDir directory;
    std::vector<std::string> paths(std::begin(shipped_files), std::end(shipped_files));
    // No final line feed, carriage returns and empty last lines, a NUL inside a line.
    for (const std::string& text : {"input_layer: 2\ncomp_layer: 1\nweights: 0.5 -0.25"s,
                                    "input_layer: 2\r\ncomp_layer: 1\r\nweights: 0.5 -0.25\r\n\n\n"s,
                                    "input_layer: 2\ncomp_layer: 1\nweights: 0.5\0 -0.25\n"s})
        paths.push_back(directory.write("odd" + std::to_string(paths.size()) + ".txt", text));
    for (const std::string& path : paths) {
        SCOPED_TRACE(path);
        const std::string text = read_text_file(path);
        // Missing weights are drawn from the clock's second: both must see the same one.
        bool compared = false;
        for (int attempt = 0; attempt < 3 && !compared; ++attempt) {
            const std::time_t before = std::time(nullptr);
            Diagnostics file_notes;
            Diagnostics memory_notes;
            Network from_file(path.c_str(), &file_notes);
            Network from_memory = Network::from_text(text, &memory_notes);
            const int file_result = from_file.read_training_section(path.c_str(), &file_notes);
            EXPECT_EQ(from_memory.read_training_text(text, &memory_notes), file_result);
            if (std::time(nullptr) != before)
                continue;
            compared = true;
            EXPECT_EQ(contents(from_memory, memory_notes), contents(from_file, file_notes));
        }
        EXPECT_TRUE(compared);
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
    for (const std::size_t room : {0, 100, 100000}) {
        FullBuffer buffer(room);
        std::ostream stream(&buffer);
        EXPECT_EQ(network.write_network(stream), room == 100000) << room;
    }
    FullBuffer no_room(0);
    std::ostream empty_network_stream(&no_room);
    EXPECT_FALSE(Network(nullptr).write_network(empty_network_stream));
}

TEST(SeededRandomFill, SameSeedSameWeightsFromFileOrText)
{
    const std::string path = data_file("missing_weights.txt");
    Diagnostics file_notes;
    const Network from_file = Network::from_file(path.c_str(), 1, &file_notes);
    Diagnostics text_notes;
    const Network from_text = Network::from_text(read_text_file(path), 1u, &text_notes);
    const Network other_seed = Network::from_file(path.c_str(), 2);

    EXPECT_EQ(all_weights(from_text), all_weights(from_file));
    EXPECT_NE(all_weights(other_seed), all_weights(from_file));
    EXPECT_EQ(file_notes.drawn_weights, 1);
    EXPECT_EQ(text_notes.drawn_weights, 1);
    // The generator of the C standard's example rand(): seed 1 draws 16838 first, everywhere.
    EXPECT_EQ(all_weights(from_file), (std::vector<double>{0.5, 10.0 * (1.0 - 2.0 * 16838 / 32767)}));
    // The same as reading the records, then completing them from the seed.
    Network in_steps(nullptr);
    in_steps.read_network_section(path.c_str());
    ASSERT_EQ(all_weights(in_steps), std::vector<double>{0.5});
    EXPECT_TRUE(in_steps.fill_random_weights(1));
    EXPECT_EQ(all_weights(in_steps), all_weights(from_file));
}
