// Reals in the engine's messages: the shortest text that reads back as the same double, with
// a full stop whatever the locale.
#ifndef ENGINE_REAL_TEXT_H
#define ENGINE_REAL_TEXT_H

#include <string>

// "0.05", "20000", "1e-05" (printf's "2e+04" in the WebAssembly build).
std::string shortest_real_text(double value);

#endif
