// Atomic replacement of files: the content arrives whole, or the old file stays as it was and
// the reason is given; destinations that are no regular file are refused without opening them.
#include "file_system/atomic_file.h"

#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <ostream>
#include <stdexcept>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace std::string_literals;

namespace {

std::vector<std::string> directory_entries(const std::string& directory)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(directory))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

mode_t permissions(const std::string& path)
{
    struct stat status {};
    stat(path.c_str(), &status);
    return status.st_mode & 07777;
}

// Holds the size of files this process may write to `limit` bytes, and writing beyond it to an
// error instead of a signal; a limit that binds root too.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t limit)
    {
        getrlimit(RLIMIT_FSIZE, &saved);
        previous_handler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit lowered = saved;
        lowered.rlim_cur = limit;
        setrlimit(RLIMIT_FSIZE, &lowered);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, previous_handler);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit saved {};
    void (*previous_handler)(int);
};

}  // namespace

TEST(AtomicFile, WritesNewFilesAndReplacesOldOnesWithTheirPermissions)
{
    const TempDir directory;
    const std::string fresh = directory.file("new.txt");
    const std::string old = directory.write("old.txt", "a much longer old content\n");
    chmod(old.c_str(), 0600);
    const std::string link = directory.file("link.txt");
    ASSERT_EQ(symlink(old.c_str(), link.c_str()), 0);

    const mode_t mask = umask(022);
    std::string reason;
    EXPECT_TRUE(write_file_atomically(fresh, "first\n", reason)) << reason;
    umask(mask);
    EXPECT_TRUE(write_file_atomically(old, "new\0"s, reason)) << reason;
    EXPECT_EQ(read_text_file(old), "new\0"s);
    // Through a symbolic link the file it names is replaced; the link stays.
    EXPECT_TRUE(write_file_atomically(link, "linked\n", reason)) << reason;

    EXPECT_EQ(read_text_file(fresh), "first\n");
    EXPECT_EQ(read_text_file(old), "linked\n");
    EXPECT_EQ(permissions(fresh), 0644u);
    EXPECT_EQ(permissions(old), 0600u);
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(directory_entries(directory.file("")), (std::vector<std::string>{"link.txt", "new.txt", "old.txt"}));
}

TEST(AtomicFile, FailedWriteLeavesTheOldFileAndNoTemporary)
{
    const TempDir directory;
    const std::string path = directory.write("kept.txt", "old content\n");
    std::string reason;
    bool written = true;
    {
        const FileSizeLimit limit(16);
        written = write_file_atomically(path, std::string(1000, 'x'), reason);
    }
    EXPECT_FALSE(written);
    EXPECT_EQ(reason, "File too large");
    EXPECT_EQ(read_text_file(path), "old content\n");
    EXPECT_EQ(directory_entries(directory.file("")), std::vector<std::string>{"kept.txt"});
}

TEST(AtomicFile, ANameUpToTheLongestTheSystemAllowsIsWritten)
{
    // The temporary's name adds eight bytes to the destination's; names of 248 to 255 bytes
    // once failed only then, after the early check had passed them.
    const std::string two_byte_letter = "\xc3\xa9";  // a stem is cut between characters
    const std::string names[] = {std::string(250, 'n'), std::string(255, 'n'),
                                 std::string(246, 'n') + two_byte_letter + std::string(7, 'n')};
    for (const std::string& name : names) {
        SCOPED_TRACE(name.size());
        const TempDir directory;
        const std::string path = directory.file(name);
        std::string reason;
        EXPECT_TRUE(check_writable_destination(path, reason)) << reason;
        EXPECT_TRUE(write_file_atomically(path, "new\n", reason)) << reason;
        EXPECT_EQ(read_text_file(path), "new\n");
        EXPECT_EQ(directory_entries(directory.file("")), std::vector<std::string>{name});
    }
    const TempDir directory;
    std::string reason;
    EXPECT_FALSE(check_writable_destination(directory.file(std::string(256, 'n')), reason));
    EXPECT_EQ(reason, "File name too long");
}

TEST(AtomicFile, RefusesDestinationsItCannotReplace)
{
    const TempDir directory;
    const std::string regular = directory.write("regular.txt", "kept\n");
    const std::string fifo = directory.file("fifo");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::string subdirectory = directory.file("sub");
    std::filesystem::create_directory(subdirectory);
    const std::string dangling = directory.file("dangling");
    ASSERT_EQ(symlink(directory.file("nowhere").c_str(), dangling.c_str()), 0);

    const struct {
        std::string path;
        const char* reason;
    } cases[] = {
        {"", "No such file or directory"},
        {directory.file("missing/out.txt"), "No such file or directory"},
        {regular + "/out.txt", "Not a directory"},
        {subdirectory, "Is a directory"},
        {subdirectory + "/", "Is a directory"},
        {fifo, "not a regular file"},
        {"/dev/null", "not a regular file"},
        {dangling, "a dangling symbolic link"},
    };
    for (const auto& refused : cases) {
        SCOPED_TRACE(refused.path);
        std::string reason;
        EXPECT_FALSE(check_writable_destination(refused.path, reason));
        EXPECT_EQ(reason, refused.reason);
        reason.clear();
        // Opening the FIFO for writing would wait for a reader: refusing must not.
        EXPECT_FALSE(write_file_atomically(refused.path, "content\n", reason));
        EXPECT_EQ(reason, refused.reason);
    }
    std::string reason;
    EXPECT_TRUE(check_writable_destination(regular, reason)) << reason;
    EXPECT_TRUE(check_writable_destination(directory.file("new.txt"), reason)) << reason;
    EXPECT_EQ(read_text_file(regular), "kept\n");
    EXPECT_TRUE(std::filesystem::is_fifo(fifo));
    EXPECT_TRUE(std::filesystem::is_empty(subdirectory));
    EXPECT_TRUE(std::filesystem::is_symlink(dangling));
}

TEST(AtomicFile, StreamedContentArrivesWholeOrNotAtAll)
{
    const TempDir directory;
    const std::string path = directory.write("streamed.txt", "old\n");
    const std::string large(200000, 'z');  // several times the writer's buffer
    const auto write_large = [&large](std::ostream& out) { return static_cast<bool>(out << large); };
    std::string reason;
    EXPECT_TRUE(write_file_atomically(path, write_large, reason)) << reason;
    EXPECT_EQ(read_text_file(path), large);

    EXPECT_FALSE(write_file_atomically(path, [](std::ostream& out) { return !(out << "partial"); }, reason));
    EXPECT_EQ(reason, "Operation canceled");
    bool written = true;
    {
        const FileSizeLimit limit(1000);
        written = write_file_atomically(path, write_large, reason);
    }
    EXPECT_FALSE(written);
    EXPECT_EQ(reason, "File too large");
    EXPECT_EQ(read_text_file(path), large);
    EXPECT_EQ(directory_entries(directory.file("")), std::vector<std::string>{"streamed.txt"});
}

namespace {

int open_descriptor_count()
{
    return static_cast<int>(std::distance(std::filesystem::directory_iterator("/proc/self/fd"),
                                          std::filesystem::directory_iterator()));
}

}  // namespace

TEST(AtomicFile, AWriterThatThrowsLeavesNeitherTemporaryNorDescriptor)
{
    const TempDir directory;
    const std::string path = directory.write("kept.txt", "old\n");
    const int descriptors = open_descriptor_count();
    std::string reason;
    EXPECT_THROW(write_file_atomically(path,
                                       [](std::ostream& out) -> bool {
                                           out << std::string(100000, 'x');
                                           throw std::runtime_error("the writer failed");
                                       },
                                       reason),
                 std::runtime_error);
    EXPECT_EQ(read_text_file(path), "old\n");
    EXPECT_EQ(directory_entries(directory.file("")), std::vector<std::string>{"kept.txt"});
    EXPECT_EQ(open_descriptor_count(), descriptors);
}

// A file the user may not write is refused as cp refuses it, even where the directory would
// let a rename replace it. Root may write anything, so the check runs as nobody then.
TEST(AtomicFile, RefusesAnExistingFileTheUserMayNotWrite)
{
    const TempDir directory;
    const std::string shared = directory.file("shared");
    std::filesystem::create_directory(shared);
    chmod(shared.c_str(), 01777);
    chmod(directory.file("").c_str(), 0755);
    const std::string read_only = directory.write("shared/ro.csv", "theirs\n");
    chmod(read_only.c_str(), 0444);

    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        constexpr uid_t nobody = 65534;
        if (geteuid() == 0 && (setgid(nobody) != 0 || setuid(nobody) != 0))
            _exit(3);
        std::string reason;
        const bool refused = !check_writable_destination(read_only, reason) && reason == "Permission denied" &&
                             !write_file_atomically(read_only, "mine\n", reason) && reason == "Permission denied";
        // A new file in the same directory is still written.
        const bool fresh = write_file_atomically(directory.file("shared/mine.csv"), "mine\n", reason);
        _exit(refused && fresh ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(read_text_file(read_only), "theirs\n");
    EXPECT_EQ(directory_entries(shared), (std::vector<std::string>{"mine.csv", "ro.csv"}));
}
