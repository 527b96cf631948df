// Writes interrupted by a signal or stopped by the file-size limit, in a child process that
// installs the tools' handlers: the old file stays whole, no temporary is left, and the
// process ends with the status a shell expects.
#include "file_system/atomic_file.h"
#include "file_system/interrupted_writes.h"

#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <functional>
#include <ostream>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr int wrote = 0;
constexpr int write_failed_too_large = 10;
constexpr int write_failed_otherwise = 11;

// Runs an atomic write of `path` in a child with the tools' handlers installed; `during` runs
// halfway through the content, after 200 kB have gone to the temporary file. Returns the
// child's wait status.
int write_in_child(const std::string& path, const std::function<void()>& during)
{
    const pid_t child = fork();
    if (child != 0) {
        int status = 0;
        waitpid(child, &status, 0);
        return status;
    }
    remove_temporaries_on_signals();
    std::string reason;
    const bool written = write_file_atomically(path,
                                               [&during](std::ostream& out) {
                                                   out << std::string(200000, 'n') << std::flush;
                                                   during();
                                                   return static_cast<bool>(out << "end\n");
                                               },
                                               reason);
    _exit(written ? wrote : reason == "File too large" ? write_failed_too_large : write_failed_otherwise);
}

std::size_t entry_count(const std::string& directory)
{
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(directory),
                                                  std::filesystem::directory_iterator()));
}

}  // namespace

TEST(InterruptedWrites, ASignalRemovesTheTemporaryAndEndsWith128PlusTheSignal)
{
    const struct {
        const char* name;
        void (*during)();
        int status;
    } cases[] = {
        {"SIGINT", [] { raise(SIGINT); }, 128 + SIGINT},
        {"SIGTERM", [] { raise(SIGTERM); }, 128 + SIGTERM},
        {"SIGHUP", [] { raise(SIGHUP); }, 128 + SIGHUP},
        // Beyond the file-size limit the write fails with its reason instead of ending the process.
        {"SIGXFSZ", [] {
             rlimit limit {};
             getrlimit(RLIMIT_FSIZE, &limit);
             limit.rlim_cur = 1000;
             setrlimit(RLIMIT_FSIZE, &limit);
         },
         write_failed_too_large},
        {"none", [] {}, wrote},
    };
    for (const auto& run : cases) {
        SCOPED_TRACE(run.name);
        const TempDir directory;
        const std::string path = directory.write("out.txt", "old network\n");
        const int status = write_in_child(path, run.during);
        ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
        EXPECT_EQ(WEXITSTATUS(status), run.status);
        EXPECT_EQ(entry_count(directory.file("")), 1u);
        const std::string content = read_text_file(path);
        EXPECT_TRUE(content == "old network\n" || (run.status == wrote && content.size() == 200004));
    }
}

TEST(InterruptedWrites, EverySignalThatEndsAProcessFromOutsideRemovesTheTemporary)
{
    const int signals[] = {SIGQUIT, SIGUSR1, SIGUSR2, SIGALRM, SIGPIPE, SIGXCPU, SIGVTALRM,
                           SIGPROF, SIGPOLL, SIGPWR, SIGRTMIN, SIGRTMAX};
    for (const int signal : signals) {
        SCOPED_TRACE(strsignal(signal));
        const TempDir directory;
        const std::string path = directory.write("out.txt", "old network\n");
        const int status = write_in_child(path, [signal] { raise(signal); });
        ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
        EXPECT_EQ(WEXITSTATUS(status), 128 + signal);
        EXPECT_EQ(entry_count(directory.file("")), 1u);
        EXPECT_EQ(read_text_file(path), "old network\n");
    }
}

TEST(InterruptedWrites, ASignalIgnoredAtStartStaysIgnored)
{
    const TempDir directory;
    const std::string path = directory.write("out.txt", "old network\n");
    std::signal(SIGHUP, SIG_IGN);  // as nohup starts a program
    const int status = write_in_child(path, [] { raise(SIGHUP); });
    std::signal(SIGHUP, SIG_DFL);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), wrote);
    EXPECT_EQ(read_text_file(path).size(), 200004u);
}

// The graphics library's handlers for the keys' and kill's signals shut it down without
// removing a temporary: those are replaced; any other handler installed before is kept.
TEST(InterruptedWrites, OnlyTheGraphicsLibrarysSignalsAreTakenFromAHandlerInstalledBefore)
{
    constexpr int handler_status = 42;
    const struct {
        int signal;
        int status;
    } cases[] = {{SIGINT, 128 + SIGINT}, {SIGQUIT, 128 + SIGQUIT}, {SIGUSR1, handler_status}};
    for (const auto& c : cases) {
        SCOPED_TRACE(strsignal(c.signal));
        const TempDir directory;
        const std::string path = directory.write("out.txt", "old network\n");
        std::signal(c.signal, [](int) { _exit(handler_status); });
        const int signal = c.signal;
        const int status = write_in_child(path, [signal] { raise(signal); });
        std::signal(c.signal, SIG_DFL);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), c.status);
        EXPECT_EQ(read_text_file(path), "old network\n");
    }
}
