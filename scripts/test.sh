#!/usr/bin/env bash
# Installs what the tests need, builds everything, and runs every test (unit, headless and
# end-to-end under Xvfb).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install_deps.sh test
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$(nproc)"
ctest --test-dir build --output-on-failure -j "$(nproc)"
