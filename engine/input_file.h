// Opening a file for reading: the one check that a name is a readable regular file, shared
// by the engine's readers, the tools and the Python module, and the opening itself.
#ifndef ENGINE_INPUT_FILE_H
#define ENGINE_INPUT_FILE_H

#include "export.h"

#include <fstream>

// What readable_file_problem answers for a pipe, a device or a socket.
constexpr int not_a_regular_file = -1;

// 0 when `file_name` is a regular file this process can open for reading; otherwise why not:
// the system's errno value (ENOENT, EACCES, ENOTDIR, ...), EISDIR for a directory, or
// not_a_regular_file. Anything but a regular file is never opened, so a FIFO cannot block it.
NC_API int readable_file_problem(const char* file_name);

// Opens the named file for reading in text mode. False for a null name and for anything
// readable_file_problem refuses: a directory reads as empty, a pipe blocks the opening until
// someone writes to it, and a device such as /dev/zero never ends a line.
bool open_for_reading(const char* file_name, std::ifstream& file);

#endif
