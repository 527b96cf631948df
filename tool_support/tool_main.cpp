// The end of a tool's run: a report on standard output that did not arrive is a failure,
// as coreutils treat it, and not a silent success.
#include "tool_support/tool_main.h"

#include "tool_support/exit_status.h"
#include "tool_support/file_problems.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <unistd.h>

namespace {

// Room for the longest report a tool writes, --help included, with room to spare.
constexpr std::size_t report_buffer_size = 1 << 16;

}  // namespace

void hold_standard_output()
{
    // A terminal keeps its line buffering, so that creature_lab's generations show as they end.
    // The C library takes the size only with a buffer of the caller's, which lives to the end.
    static char buffer[report_buffer_size];
    if (isatty(STDOUT_FILENO) != 1)
        std::setvbuf(stdout, buffer, _IOFBF, sizeof buffer);
}

int finish_standard_output(const char* program, int status)
{
    errno = 0;
    std::cout.flush();
    const bool flushed = std::fflush(stdout) == 0;
    const int error = errno;
    if (flushed && std::cout.good() && std::ferror(stdout) == 0)
        return status;
    // Only a failure of these flushes leaves its reason; one of an earlier write is gone by now.
    const std::string reason = error != 0 ? reason_clause(std::strerror(error)) : "a write failed";
    std::cerr << program << ": cannot write standard output: " << reason << '\n';
    return status == exit_success || status == exit_short_of_goal ? exit_output_error : status;
}
