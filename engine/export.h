// Marks the engine's public interface: the shared library hides every other symbol, so
// programs that link it can reach only what its installed headers promise.
#ifndef ENGINE_EXPORT_H
#define ENGINE_EXPORT_H

#if defined(__GNUC__) || defined(__clang__)
#define NC_API __attribute__((visibility("default")))
#else
#define NC_API
#endif

#endif
