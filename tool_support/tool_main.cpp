// The end of a tool's run: a report on standard output that did not arrive is a failure,
// as coreutils treat it, and not a silent success.
#include "tool_support/tool_main.h"

#include "tool_support/exit_status.h"
#include "tool_support/file_problems.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

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
