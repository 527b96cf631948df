// Atomic replacement of a file with POSIX calls: mkstemp beside the destination, write,
// fsync, rename; and the look at a destination that decides whether that can work.
#include "engine/atomic_file.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr mode_t new_file_mode = 0666;
constexpr mode_t permission_bits = 07777;

std::string system_reason(int error)
{
    return std::strerror(error);
}

// The file a destination stands for: the file a symbolic link names, else the path itself.
std::string resolved_destination(const std::string& path)
{
    struct stat status {};
    if (lstat(path.c_str(), &status) != 0 || !S_ISLNK(status.st_mode))
        return path;
    char target[PATH_MAX];
    if (realpath(path.c_str(), target) == nullptr)
        return path;  // a dangling link: the checks below explain what is wrong
    return target;
}

std::string directory_of(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool fail(std::string& reason, const std::string& why)
{
    reason = why;
    return false;
}

// The permission bits a newly created file would get from the process's umask.
mode_t default_mode()
{
    const mode_t mask = umask(0);
    umask(mask);
    return new_file_mode & ~mask;
}

bool write_all(int descriptor, std::string_view content)
{
    while (!content.empty()) {
        const ssize_t written = write(descriptor, content.data(), content.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        content.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

// Makes the rename itself last across a crash; a directory that cannot be synced loses nothing.
void sync_directory(const std::string& directory)
{
    const int descriptor = open(directory.c_str(), O_RDONLY | O_DIRECTORY);
    if (descriptor < 0)
        return;
    fsync(descriptor);
    close(descriptor);
}

}  // namespace

bool check_writable_destination(const std::string& path, std::string& reason)
{
    if (path.empty())
        return fail(reason, system_reason(ENOENT));
    if (path.back() == '/')
        return fail(reason, system_reason(EISDIR));
    const std::string destination = resolved_destination(path);
    const std::string directory = directory_of(destination);
    struct stat status {};
    if (stat(directory.c_str(), &status) != 0)
        return fail(reason, system_reason(errno));
    if (!S_ISDIR(status.st_mode))
        return fail(reason, system_reason(ENOTDIR));
    if (access(directory.c_str(), W_OK | X_OK) != 0)
        return fail(reason, system_reason(errno));
    if (stat(destination.c_str(), &status) != 0) {
        if (errno == ENOENT)
            return true;
        return fail(reason, system_reason(errno));
    }
    if (S_ISDIR(status.st_mode))
        return fail(reason, system_reason(EISDIR));
    if (!S_ISREG(status.st_mode))
        return fail(reason, "not a regular file");
    return true;
}

bool write_file_atomically(const std::string& path, std::string_view content, std::string& reason)
{
    if (!check_writable_destination(path, reason))
        return false;
    const std::string destination = resolved_destination(path);
    const std::size_t slash = destination.rfind('/');
    const std::string name = slash == std::string::npos ? destination : destination.substr(slash + 1);
    const std::string directory = directory_of(destination);

    struct stat old_status {};
    const mode_t mode = stat(destination.c_str(), &old_status) == 0 ? (old_status.st_mode & permission_bits)
                                                                      : default_mode();

    std::string temporary = directory + "/." + name + ".XXXXXX";
    const int descriptor = mkstemp(temporary.data());
    if (descriptor < 0)
        return fail(reason, system_reason(errno));

    const bool written = fchmod(descriptor, mode) == 0 && write_all(descriptor, content) && fsync(descriptor) == 0;
    const int write_error = errno;
    const bool closed = close(descriptor) == 0;
    const int close_error = errno;
    if (!written || !closed) {
        unlink(temporary.c_str());
        return fail(reason, system_reason(!written ? write_error : close_error));
    }
    if (rename(temporary.c_str(), destination.c_str()) != 0) {
        const int rename_error = errno;
        unlink(temporary.c_str());
        return fail(reason, system_reason(rename_error));
    }
    sync_directory(directory);
    return true;
}
