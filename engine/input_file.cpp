// Opening a network file for reading, shared by both readers.
#include "engine/input_file.h"

#include <sys/stat.h>

bool open_for_reading(const char* file_name, std::ifstream& file)
{
    if (file_name == nullptr)
        return false;
    file.open(file_name);
    if (!file.is_open())
        return false;
    struct stat status {};
    if (stat(file_name, &status) == 0 && S_ISDIR(status.st_mode)) {
        file.close();
        return false;
    }
    return true;
}
