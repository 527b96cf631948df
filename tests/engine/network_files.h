// Building networks from file contents written into a test's own temporary directory.
#ifndef TESTS_ENGINE_NETWORK_FILES_H
#define TESTS_ENGINE_NETWORK_FILES_H

#include "engine/network.h"
#include "tests/support/test_support.h"

#include <string>

inline std::string data_file(const std::string& name)
{
    return std::string(TEST_DATA_DIR) + "/" + name;
}

inline std::string write_network_text(const TempDir& directory, const std::string& text,
                                      const std::string& name = "network.txt")
{
    const std::string path = directory.file(name);
    write_text_file(path, text);
    return path;
}

inline Network network_from_text(const TempDir& directory, const std::string& text)
{
    return Network(write_network_text(directory, text).c_str());
}

// One input feeding one computing neuron through the weight `weight`.
inline std::string one_link_network(const std::string& weight)
{
    return "input_layer: 1\ncomp_layer: 1\nweights: " + weight + "\n";
}

#endif
