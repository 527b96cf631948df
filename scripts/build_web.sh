#!/usr/bin/env bash
# Builds the browser edition, build-web/neural-creatures.html: one page with the engine and the
# creature world compiled to WebAssembly inside it, with SIMD and without, which works opened
# straight from a file.
# Needs emscripten (bash scripts/install_deps.sh web). NC_WEB_BUILD_DIR chooses another build tree.
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
build="${NC_WEB_BUILD_DIR:-$root/build-web}"

if ! command -v emcmake >/dev/null; then
    echo "build_web.sh: emscripten is missing; run: sudo bash scripts/install_deps.sh web" >&2
    exit 1
fi
# emscripten's JavaScript optimizer needs acorn, which Debian installs for its own node; a node
# from elsewhere on the PATH finds it only through NODE_PATH.
export NODE_PATH="${NODE_PATH:-/usr/share/nodejs}"

launcher=()
if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
# The engine without WebAssembly SIMD first, in a tree of its own, for the page to carry beside
# the one with it.
plain="$build/plain-engine"
emcmake cmake -S "$root" -B "$plain" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DNC_WASM_SIMD=OFF \
    "${launcher[@]}" >/dev/null
cmake --build "$plain" --target neural_creatures_engine -j "${NC_JOBS:-2}"
emcmake cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
    -DNC_WEB_PLAIN_ENGINE="$plain/web/neural_creatures_engine.js" "${launcher[@]}" >/dev/null
cmake --build "$build" --target web_page -j "${NC_JOBS:-2}"
echo "built $build/neural-creatures.html"
