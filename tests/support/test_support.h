// Helpers shared by the tests: a unique temporary directory per test, a scoped working
// directory, whole-file reads and writes, the layer records of a network file, a network's
// weights, and a scoped switch to a locale whose decimal point is a comma.
#ifndef TESTS_SUPPORT_TEST_SUPPORT_H
#define TESTS_SUPPORT_TEST_SUPPORT_H

#include <filesystem>
#include <string>
#include <vector>

class Network;

// A fresh directory under the system's temporary directory, removed with its contents.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // The path of a file named `name` inside the directory.
    std::string file(const std::string& name) const;
    // Writes `text` as the file `name` inside the directory and returns its path.
    std::string write(const std::string& name, const std::string& text) const;

private:
    std::string directory;
};

// Runs a test inside a directory of its own and returns to the old one afterwards.
class ScopedWorkingDirectory {
public:
    explicit ScopedWorkingDirectory(const std::filesystem::path& path)
        : previous(std::filesystem::current_path())
    {
        std::filesystem::current_path(path);
    }
    ~ScopedWorkingDirectory() { std::filesystem::current_path(previous); }
    ScopedWorkingDirectory(const ScopedWorkingDirectory&) = delete;
    ScopedWorkingDirectory& operator=(const ScopedWorkingDirectory&) = delete;

private:
    std::filesystem::path previous;
};

void write_text_file(const std::string& path, const std::string& contents);
std::string read_text_file(const std::string& path);

// Network records of layers of the given sizes, the first one the input layer; the weights
// are left to be drawn at random.
std::string network_layers(const std::vector<int>& sizes);

// ASCII text as Windows Notepad saves it as "Unicode": UTF-16, little-endian unless
// `big_endian`, after a byte order mark when `mark`.
std::string utf16(const std::string& ascii, bool big_endian, bool mark);

// Every weight of a network in neuron and connection order.
std::vector<double> all_weights(const Network& network);

// The network of `text` with the training records of the same text.
Network trainable_network(const std::string& text);

// Switches the whole process (LC_ALL) to a German locale for its lifetime, as Allegro's
// keyboard set-up does with the user's locale, and back to "C" afterwards.
class DecimalCommaLocale {
public:
    DecimalCommaLocale();
    ~DecimalCommaLocale();
    DecimalCommaLocale(const DecimalCommaLocale&) = delete;
    DecimalCommaLocale& operator=(const DecimalCommaLocale&) = delete;

    // False when no such locale exists on this machine; the test should then skip.
    bool active() const { return is_active; }

private:
    bool is_active = false;
};

#endif
