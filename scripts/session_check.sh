#!/usr/bin/env bash
# Runs the graphical programs under valgrind's memcheck for a scripted session under Xvfb: start,
# keys and mouse, L with a hostile and a good file, F12, F1, Esc. Fails on any invalid
# access, use of uninitialised memory, definitely lost block, or a program that misbehaves.
#   scripts/session_check.sh [BUILD_DIR]      (default build; configured and built if needed)
set -euo pipefail
cd "$(dirname "$0")/.."

build_dir=${1:-build}
if [ ! -f "$build_dir/CMakeCache.txt" ]; then
  cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build "$build_dir" -j "${SESSION_BUILD_JOBS:-2}" --target creature_sim net_tester net_lab

status=0
for program in creature_sim net_tester net_lab; do
  echo "== $program under valgrind"
  result=0
  python3 tests/e2e/session_check.py "$program" "$build_dir/$program/$program" examples || result=$?
  if [ "$result" -eq 77 ]; then
    echo "skipped $program: a tool is missing (Xvfb, xdotool or valgrind)"
  elif [ "$result" -ne 0 ]; then
    status=1
  fi
done
exit "$status"
