/// @file
/// Replacing a file as a whole or not at all: the content goes to a temporary file beside the
/// destination, which is renamed over it only once everything is written and synced.
#ifndef FILE_SYSTEM_ATOMIC_FILE_H
#define FILE_SYSTEM_ATOMIC_FILE_H

// Installed beside the engine's headers, which name each other as siblings.
#include "export.h"

#include <functional>
#include <iosfwd>
#include <string>
#include <string_view>

/// Replaces `path` with `content`: writes a temporary file in the same directory, flushes and
/// syncs it, then renames it over `path`. On failure the old file is untouched, the temporary
/// is removed, and `reason` gets the system's reason (e.g. "No space left on device").
/// A destination that is a symbolic link has the file it names replaced; the new file keeps
/// the old one's permission bits, and a new one is created as any new file is, with the
/// bits the umask leaves of 0666. Nothing process-wide is changed, so threads may write at once.
NC_API bool write_file_atomically(const std::string& path, std::string_view content, std::string& reason);

/// The same with the content that `write` puts on a stream into the temporary file, so that a
/// large file never has to be held in memory whole. `write` returns false to give up; the old
/// file then stays too. An exception from `write` passes on to the caller, the temporary file
/// removed and closed.
NC_API bool write_file_atomically(const std::string& path, const std::function<bool(std::ostream&)>& write,
                                  std::string& reason);

/// True when `path` can be written by write_file_atomically: its directory exists and is
/// writable, and `path`, if it exists, is a regular file (never a FIFO, device or directory)
/// that the user may write, as `cp` would ask, and not a symbolic link to nothing. Otherwise
/// false with the reason in `reason`.
/// Opens nothing for writing.
NC_API bool check_writable_destination(const std::string& path, std::string& reason);

#endif
