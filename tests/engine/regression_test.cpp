// Faults found by fuzzing and by the scripted sessions, each kept from coming back.
#include "engine/network.h"

#include "tests/engine/network_files.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

namespace {

// Before, the reader waited on the pipe for a writer that never came.
TEST(InputFile, APipeIsNoNetworkFile)
{
    TempDir directory;
    const std::string pipe = directory.file("network.txt");
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    expect_empty(Network(pipe.c_str()));
    Network network(nullptr);
    EXPECT_EQ(network.read_training_section(pipe.c_str()), 1);
    unlink(pipe.c_str());
}

// Before, a device without line ends made the reader gather one line until memory ran out.
TEST(InputFile, ADeviceIsNoNetworkFile)
{
    if (access("/dev/zero", R_OK) != 0)
        GTEST_SKIP() << "no /dev/zero here";
    expect_empty(Network("/dev/zero"));
    Network network(nullptr);
    EXPECT_EQ(network.read_training_section("/dev/zero"), 1);
    EXPECT_EQ(network.train("/dev/zero"), NoUsablePatterns);
}

}  // namespace
