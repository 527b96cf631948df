#!/usr/bin/env bash
# Installs what the programs need, builds them, and starts creature_sim on the shipped default
# network (examples/config_generated.txt).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install_deps.sh run
cmake -S . -B build-run -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DNC_BUILD_BENCHMARKS=OFF
cmake --build build-run -j "$(nproc)"

cd examples
exec ../build-run/creature_sim/creature_sim
