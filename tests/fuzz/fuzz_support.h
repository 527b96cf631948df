// Helpers shared by the fuzz targets: the input handed over as a real file (for the programs,
// which load networks by name), and a cheap look at the sizes a file declares before anything
// is built.
#ifndef TESTS_FUZZ_FUZZ_SUPPORT_H
#define TESTS_FUZZ_FUZZ_SUPPORT_H

#include <cstddef>
#include <cstdint>
#include <string>

// Largest network a fuzz input may build. The engine accepts up to a million neurons and
// thirty million connections, which takes seconds per input; the fuzzer skips inputs between
// these bounds and the engine's, and keeps those the engine refuses before allocating.
constexpr int fuzz_max_neurons = 50000;
constexpr long long fuzz_max_connections = 300000;

// True when reading the file builds no more than the bounds above, going by its layer
// records the way the network reader counts them.
bool declared_size_fits(const std::uint8_t* data, std::size_t size);

// Path of a file in this process's own temporary directory; the directory goes at exit.
std::string scratch_path(const char* name);

// Writes the input into the scratch file `name` and returns its path.
std::string write_input(const std::uint8_t* data, std::size_t size, const char* name = "input.txt");

// Aborts with a message, so that libFuzzer records the input as a finding.
[[noreturn]] void fuzz_failure(const char* what);

#endif
