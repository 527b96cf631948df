#!/usr/bin/env bash
# Builds the browser edition and native net_train (Release, in build-bench/), then prints their
# training speeds side by side (bench/web_speed.js). Needs what scripts/install_deps.sh test installs.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/build_web.sh >/dev/null
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-bench --target net_train -j "${NC_JOBS:-2}" >/dev/null
node bench/web_speed.js build-web/neural-creatures.html build-bench/net_train/net_train
