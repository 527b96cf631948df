// Checking and opening a file for reading.
#include "engine/input_file.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

int readable_file_problem(const char* file_name)
{
    if (file_name == nullptr)
        return ENOENT;
    struct stat status {};
    if (stat(file_name, &status) != 0)
        return errno;
    if (S_ISDIR(status.st_mode))
        return EISDIR;
    if (!S_ISREG(status.st_mode))
        return not_a_regular_file;
    const int descriptor = open(file_name, O_RDONLY | O_NOCTTY);
    if (descriptor < 0)
        return errno;
    close(descriptor);
    return 0;
}

bool open_for_reading(const char* file_name, std::ifstream& file)
{
    if (readable_file_problem(file_name) != 0)
        return false;
    file.open(file_name);
    return file.is_open();
}
