#!/usr/bin/env bash
# Cross-builds the engine, net_train and their unit tests for 64-bit ARM and runs them under
# qemu-user; then trains the exclusive-or example with both builds of net_train and expects
# the same bytes, since every result is fixed to the last bit on every architecture.
#   scripts/cross_check_arm64.sh [BUILD_DIR]      (default build-arm64; needs the native
#                                                  net_train in build/ for the comparison)
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install_deps.sh cross

build_dir=${1:-build-arm64}
sysroot=/usr/aarch64-linux-gnu
emulator=(qemu-aarch64 -L "$sysroot")
cross=(-DCMAKE_SYSTEM_NAME=Linux -DCMAKE_SYSTEM_PROCESSOR=aarch64
  -DCMAKE_C_COMPILER=aarch64-linux-gnu-gcc -DCMAKE_CXX_COMPILER=aarch64-linux-gnu-g++
  "-DCMAKE_CROSSCOMPILING_EMULATOR=qemu-aarch64;-L;$sysroot")
jobs=$(( $(nproc) < 2 ? $(nproc) : 2 ))

# Debian ships GoogleTest as sources for other architectures: build it once with the cross
# compiler into the build directory.
gtest_prefix=$PWD/$build_dir/googletest-install
if [ ! -f "$gtest_prefix/lib/cmake/GTest/GTestConfig.cmake" ]; then
  cmake -S /usr/src/googletest -B "$build_dir/googletest" "${cross[@]}" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$gtest_prefix" -DBUILD_GMOCK=OFF >/dev/null
  cmake --build "$build_dir/googletest" -j "$jobs" --target install >/dev/null
fi

cmake -S . -B "$build_dir" "${cross[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DNC_BUILD_PROGRAMS=OFF \
  -DNC_BUILD_BENCHMARKS=OFF -DGTest_DIR="$gtest_prefix/lib/cmake/GTest" >/dev/null
cmake --build "$build_dir" -j "$jobs" --target engine_tests engine_allocation_tests net_train net_train_tests

for tests in tests/engine/engine_tests tests/engine/engine_allocation_tests tests/net_train/net_train_tests; do
  echo "cross_check_arm64: $tests"
  (cd "$build_dir/tests/net_train" && "${emulator[@]}" "../../$tests" --gtest_brief=1)
done

native=build/net_train/net_train
if [ ! -x "$native" ]; then
  cmake -S . -B build >/dev/null
  cmake --build build -j "$jobs" --target net_train
fi
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
example=examples/exclusive_or_training.txt
"$native" -q -o "$scratch/native.txt" "$example" || true
"${emulator[@]}" "$build_dir/net_train/net_train" -q -o "$scratch/arm64.txt" "$example" || true
cmp "$scratch/native.txt" "$scratch/arm64.txt"
echo "cross_check_arm64: the ARM build passes its tests and trains the example to the same bytes"
