// Scratch files and the declared-size look-ahead of the fuzz targets.
#include "tests/fuzz/fuzz_support.h"

#include "engine/line_reader.h"
#include "engine/network.h"

#include <cstdio>
#include <cstdlib>
#include <string_view>

#include <unistd.h>

namespace {

std::string scratch_directory;

void remove_scratch_directory()
{
    std::remove((scratch_directory + "/input.txt").c_str());
    rmdir(scratch_directory.c_str());
}

}  // namespace

bool declared_size_fits(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    long long neurons = 0;
    long long connections = 0;
    long long previous = 0;
    bool has_layers = false;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        LineReader reader(text.substr(start, end - start));
        start = end + 1;
        const std::string_view key = reader.next_token();
        const bool computing = key == "comp_layer:";
        if (!computing && key != "input_layer:")
            continue;
        int count = 0;
        reader.read_int(count);
        // The reader refuses these before it allocates anything more.
        if (computing != has_layers || (!computing && count < 0))
            return true;
        if (count <= 0) {
            if (!computing)
                has_layers = true;
            continue;
        }
        const long long next_neurons = neurons + count;
        const long long next_connections = connections + (computing ? count * previous : 0);
        if (next_neurons > Network::max_neuron_count || next_connections > Network::max_connection_count)
            return true;
        if (next_neurons > fuzz_max_neurons || next_connections > fuzz_max_connections)
            return false;
        neurons = next_neurons;
        connections = next_connections;
        previous = count;
        has_layers = true;
    }
    return true;
}

std::string scratch_path(const char* name)
{
    if (scratch_directory.empty()) {
        const char* base = std::getenv("TMPDIR");
        std::string pattern = std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/nc_fuzz_XXXXXX";
        if (mkdtemp(pattern.data()) == nullptr)
            fuzz_failure("cannot create a scratch directory");
        scratch_directory = pattern;
        std::atexit(remove_scratch_directory);
    }
    return scratch_directory + "/" + name;
}

std::string write_input(const std::uint8_t* data, std::size_t size, const char* name)
{
    const std::string path = scratch_path(name);
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        fuzz_failure("cannot write the scratch file");
    if (size > 0 && std::fwrite(data, 1, size, file) != size)
        fuzz_failure("cannot write the scratch file");
    std::fclose(file);
    return path;
}

void fuzz_failure(const char* what)
{
    std::fprintf(stderr, "fuzz check failed: %s\n", what);
    std::abort();
}
