// Marks the engine's public interface: the shared library hides every other symbol, so
// programs that link it can reach only what its installed headers promise.
#ifndef ENGINE_EXPORT_H
#define ENGINE_EXPORT_H

#if defined(__GNUC__) || defined(__clang__)
#define NC_API __attribute__((visibility("default")))
// A member of an exported class that only the engine itself calls.
#define NC_LOCAL __attribute__((visibility("hidden")))
#else
#define NC_API
#define NC_LOCAL
#endif

#endif
