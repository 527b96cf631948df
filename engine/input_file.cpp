// Opening a network file for reading, shared by both readers.
#include "engine/input_file.h"

#include <sys/stat.h>

bool open_for_reading(const char* file_name, std::ifstream& file)
{
    if (file_name == nullptr)
        return false;
    // Only a regular file has an end: a directory reads as empty, a pipe blocks the opening
    // until someone writes to it, and a device such as /dev/zero never ends a line.
    struct stat status {};
    if (stat(file_name, &status) != 0 || !S_ISREG(status.st_mode))
        return false;
    file.open(file_name);
    return file.is_open();
}
