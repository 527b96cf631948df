// Atomic replacement of a file with POSIX calls: a new temporary file beside the destination,
// write, fsync, rename; and the look at a destination that decides whether that can work.
#include "file_system/atomic_file.h"

#include "file_system/interrupted_writes.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <ostream>
#include <streambuf>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
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
        // Writing through a link to nothing would replace the link instead; cp refuses too.
        if (errno == ENOENT && lstat(destination.c_str(), &status) == 0)
            return fail(reason, "a dangling symbolic link");
        if (errno == ENOENT)
            return true;
        return fail(reason, system_reason(errno));
    }
    if (S_ISDIR(status.st_mode))
        return fail(reason, system_reason(EISDIR));
    if (!S_ISREG(status.st_mode))
        return fail(reason, "not a regular file");
    // The rename could replace a file the user may not write; cp would refuse it.
    if (access(destination.c_str(), W_OK) != 0)
        return fail(reason, system_reason(errno));
    return true;
}

namespace {

constexpr int name_attempts = 100;
constexpr int suffix_length = 6;
// What ".NAME.XXXXXX" adds to the destination's name: the two dots and the suffix.
constexpr std::size_t added_to_name = 2 + suffix_length;

// The part of `name` that a temporary's name holds: all of it, or as much as leaves room for
// what the temporary adds within the longest name `directory` allows, cut between characters,
// so that a destination whose own name is valid never fails for its temporary's.
std::string name_stem(const std::string& directory, const std::string& name)
{
    const long longest = pathconf(directory.c_str(), _PC_NAME_MAX);
    const std::size_t allowed = longest > 0 ? static_cast<std::size_t>(longest) : NAME_MAX;
    if (name.size() + added_to_name <= allowed)
        return name;
    std::size_t cut = allowed > added_to_name ? allowed - added_to_name : 0;
    while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xc0) == 0x80)
        --cut;  // within a UTF-8 character
    return name.substr(0, cut);
}

// A temporary file beside the destination, closed and removed on every path but a finished
// rename; listed for the signal handlers while it exists.
class TemporaryFile {
public:
    // Creates ".NAME.XXXXXX" (NAME shortened when it is long) in `directory` the way any new
    // file is created, so that the kernel applies the umask and the directory's default ACL;
    // error() tells why it could not.
    TemporaryFile(const std::string& directory, const std::string& name)
    {
        static std::atomic<unsigned long> counter{0};
        const std::string stem = name_stem(directory, name);
        for (int attempt = 0; attempt < name_attempts && descriptor < 0; ++attempt) {
            path = directory + "/." + stem + "." + random_suffix(counter.fetch_add(1));
            // Blocked so that a signal cannot come between the file's creation and its listing.
            const HandledSignalsBlocked blocked;
            descriptor = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, new_file_mode);
            if (descriptor < 0)
                creation_error = errno;
            else
                slot = register_temporary(path.c_str());
            if (descriptor < 0 && creation_error != EEXIST)
                break;
        }
    }
    ~TemporaryFile()
    {
        if (descriptor >= 0)
            close(descriptor);
        if (!renamed)
            unlink(path.c_str());
        forget_temporary(slot);
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    int error() const { return descriptor < 0 ? creation_error : 0; }
    int file_descriptor() const { return descriptor; }

    // Closes the file; the system's error, or 0.
    int close_file()
    {
        const int result = close(std::exchange(descriptor, -1));
        return result == 0 ? 0 : errno;
    }

    // Renames the closed file over `destination`; the system's error, or 0.
    int rename_to(const std::string& destination)
    {
        if (rename(path.c_str(), destination.c_str()) != 0)
            return errno;
        renamed = true;
        return 0;
    }

private:
    static std::string random_suffix(unsigned long count)
    {
        static constexpr char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
        timespec now {};
        clock_gettime(CLOCK_REALTIME, &now);
        unsigned long long mixed = static_cast<unsigned long long>(now.tv_nsec) ^
                                   (static_cast<unsigned long long>(getpid()) << 32) ^ (count * 0x9E3779B97F4A7C15ull);
        std::string suffix;
        for (int i = 0; i < suffix_length; ++i) {
            suffix += letters[mixed % (sizeof letters - 1)];
            mixed /= sizeof letters - 1;
            mixed ^= mixed << 13;  // keeps the later letters changing with every input bit
        }
        return suffix;
    }

    std::string path;
    int descriptor = -1;
    int creation_error = 0;
    int slot = no_slot;
    bool renamed = false;
};

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
    const bool replacing = stat(destination.c_str(), &old_status) == 0;

    TemporaryFile temporary(directory, name);
    int error = temporary.error();
    if (error == 0 && replacing && fchmod(temporary.file_descriptor(), old_status.st_mode & permission_bits) != 0)
        error = errno;
    if (error == 0)
        error = fill(temporary.file_descriptor());
    if (error == 0 && fsync(temporary.file_descriptor()) != 0)
        error = errno;
    if (error == 0)
        error = temporary.close_file();
    if (error == 0)
        error = temporary.rename_to(destination);
    if (error != 0)
        return fail(reason, system_reason(error));
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
