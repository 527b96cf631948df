// Atomic replacement of a file with POSIX calls: mkstemp beside the destination, write,
// fsync, rename; and the look at a destination that decides whether that can work.
#include "engine/atomic_file.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <ostream>
#include <streambuf>

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

// The system's error of writing `content`, or 0 when all of it was written.
int write_all(int descriptor, std::string_view content)
{
    while (!content.empty()) {
        const ssize_t written = write(descriptor, content.data(), content.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        content.remove_prefix(static_cast<std::size_t>(written));
    }
    return 0;
}

// A stream buffer that writes to a file descriptor and keeps the first error it met.
class DescriptorBuffer : public std::streambuf {
public:
    explicit DescriptorBuffer(int descriptor) : descriptor(descriptor) { setp(space, space + sizeof space); }
    int error() const { return first_error; }

protected:
    int_type overflow(int_type character) override
    {
        if (!drain())
            return traits_type::eof();
        if (!traits_type::eq_int_type(character, traits_type::eof()))
            sputc(traits_type::to_char_type(character));
        return traits_type::not_eof(character);
    }
    int sync() override { return drain() ? 0 : -1; }

private:
    bool drain()
    {
        if (first_error == 0)
            first_error = write_all(descriptor, std::string_view(pbase(), static_cast<std::size_t>(pptr() - pbase())));
        setp(space, space + sizeof space);
        return first_error == 0;
    }

    int descriptor;
    int first_error = 0;
    char space[1 << 16];
};

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

namespace {

// Puts the content into a temporary file beside the destination with `fill`, which returns
// the system's error or 0, and renames it over the destination once it is synced.
bool replace_file(const std::string& path, std::string& reason, const std::function<int(int)>& fill)
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

    int error = fchmod(descriptor, mode) == 0 ? 0 : errno;
    if (error == 0)
        error = fill(descriptor);
    if (error == 0 && fsync(descriptor) != 0)
        error = errno;
    if (close(descriptor) != 0 && error == 0)
        error = errno;
    if (error == 0 && rename(temporary.c_str(), destination.c_str()) != 0)
        error = errno;
    if (error != 0) {
        unlink(temporary.c_str());
        return fail(reason, system_reason(error));
    }
    sync_directory(directory);
    return true;
}

}  // namespace

bool write_file_atomically(const std::string& path, std::string_view content, std::string& reason)
{
    return replace_file(path, reason, [content](int descriptor) { return write_all(descriptor, content); });
}

bool write_file_atomically(const std::string& path, const std::function<bool(std::ostream&)>& write,
                           std::string& reason)
{
    return replace_file(path, reason, [&write](int descriptor) {
        DescriptorBuffer buffer(descriptor);
        std::ostream stream(&buffer);
        const bool written = write(stream) && stream.flush();
        if (buffer.error() != 0)
            return buffer.error();
        // Given up without a system error: no system reason fits better.
        return written ? 0 : ECANCELED;
    });
}
