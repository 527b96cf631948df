// Opening a network file for reading, shared by both readers.
#ifndef ENGINE_INPUT_FILE_H
#define ENGINE_INPUT_FILE_H

#include <fstream>

// Opens the named file for reading in text mode. False for a null name, a file that cannot
// be opened, and anything but a regular file (a directory, a pipe, a device), which would
// read as empty, block, or never end.
bool open_for_reading(const char* file_name, std::ifstream& file);

#endif
