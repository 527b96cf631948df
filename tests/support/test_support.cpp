// Helpers shared by the tests.
#include "tests/support/test_support.h"

#include "engine/network.h"

#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <vector>

TempDir::TempDir()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "nc_test_XXXXXX").string();
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (mkdtemp(buffer.data()) == nullptr)
        throw std::runtime_error("cannot create a temporary directory");
    directory = buffer.data();
}

TempDir::~TempDir()
{
    std::error_code ignored;
    std::filesystem::remove_all(directory, ignored);
}

std::string TempDir::file(const std::string& name) const
{
    return directory + "/" + name;
}

std::string TempDir::write(const std::string& name, const std::string& text) const
{
    const std::string path = file(name);
    write_text_file(path, text);
    return path;
}

void write_text_file(const std::string& path, const std::string& contents)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << contents;
}

std::string read_text_file(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream contents;
    contents << file.rdbuf();
    return contents.str();
}

std::string network_layers(const std::vector<int>& sizes)
{
    std::string text;
    for (std::size_t i = 0; i < sizes.size(); ++i)
        text += (i == 0 ? "input_layer: " : "comp_layer: ") + std::to_string(sizes[i]) + "\n";
    return text;
}

std::string utf16(const std::string& ascii, bool big_endian, bool mark)
{
    std::string text = mark ? (big_endian ? "\xFE\xFF" : "\xFF\xFE") : "";
    for (const char c : ascii)
        text += big_endian ? std::string{'\0', c} : std::string{c, '\0'};
    return text;
}

std::vector<double> all_weights(const Network& network)
{
    std::vector<double> weights;
    for (int position = 0; position < network.neuron_count(); ++position)
        for (const Connection& connection : network.neuron(position).connections)
            weights.push_back(connection.weight);
    return weights;
}

Network trainable_network(const std::string& text)
{
    Network network = Network::from_text(text);
    network.read_training_text(text);
    return network;
}

DecimalCommaLocale::DecimalCommaLocale()
{
    // The build tree holds a generated German locale when the system has none installed.
    if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr) {
        setenv("LOCPATH", TEST_LOCALE_DIR, 1);
        if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr)
            return;
    }
    is_active = std::localeconv()->decimal_point[0] == ',';
}

DecimalCommaLocale::~DecimalCommaLocale()
{
    std::setlocale(LC_ALL, "C");
}
