#!/usr/bin/env bash
# Builds the fuzz targets with clang and runs each for a bounded time, one after another.
#   scripts/fuzz.sh [SECONDS_PER_TARGET] [TARGET...]      (default 60 s, all targets)
# The seed corpus in tests/fuzz/corpus is replayed first; new inputs go to a working corpus
# in the build directory (FUZZ_BUILD_DIR, default build-fuzz), findings to its findings/.
# Fails on any crash, sanitizer report, leak, timeout or out-of-memory.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
shift || true
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  targets=(fuzz_network_reader fuzz_training_reader fuzz_csv_patterns fuzz_round_trip fuzz_program_frames)
fi
build_dir=${FUZZ_BUILD_DIR:-build-fuzz}
seed_corpus=$PWD/tests/fuzz/corpus
# Every input is handed to the engine as a file: keep those files in memory when we can, in
# a directory of this run that goes with it, also when a target stops on a finding.
scratch_base=${TMPDIR:-/tmp}
if [ -z "${TMPDIR:-}" ] && [ -d /dev/shm ] && [ -w /dev/shm ]; then
  scratch_base=/dev/shm
fi
scratch=$(mktemp -d "$scratch_base/nc_fuzz_run.XXXXXX")
trap 'rm -rf "$scratch"' EXIT

cmake -S tests/fuzz -B "$build_dir" -DCMAKE_CXX_COMPILER="${FUZZ_CXX:-clang++}" >/dev/null
cmake --build "$build_dir" -j "${FUZZ_BUILD_JOBS:-2}" --target "${targets[@]}" >/dev/null
build_dir=$(cd "$build_dir" && pwd)
mkdir -p "$build_dir/findings"

# The engine accepts files of up to 30 million connections (about 1 GiB): leave room for
# them. A 64 KiB input is larger than any hand-written network with its training section.
fuzz_options=(-rss_limit_mb=2560 -max_len=65536 -timeout=30 -print_final_stats=1)

failed=()
summary=()
for target in "${targets[@]}"; do
  corpus=$build_dir/corpus/$target
  log=$build_dir/findings/$target.log
  mkdir -p "$corpus"
  echo "== $target for ${seconds} s"
  # The program-frames target starts Allegro, which reads its configuration from the
  # working directory: run every target in the scratch directory of the build.
  status=0
  (cd "$build_dir/findings" &&
    TMPDIR=$scratch ASAN_OPTIONS=detect_leaks=1 \
    UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    "$build_dir/$target" "${fuzz_options[@]}" -max_total_time="$seconds" \
      -artifact_prefix="$build_dir/findings/$target-" "$corpus" "$seed_corpus") >"$log" 2>&1 || status=$?
  coverage=$(grep -E '^#[0-9]+' "$log" | tail -1 | grep -oE 'cov: [0-9]+ ft: [0-9]+' || echo "cov: ? ft: ?")
  speed=$(grep -oE 'stat::average_exec_per_sec:[[:space:]]*[0-9]+' "$log" | grep -oE '[0-9]+$' || echo "?")
  runs=$(grep -oE 'stat::number_of_executed_units:[[:space:]]*[0-9]+' "$log" | grep -oE '[0-9]+$' || echo "?")
  summary+=("$target: $runs runs, $speed exec/s, $coverage")
  if [ "$status" -ne 0 ]; then
    failed+=("$target")
    echo "FAILED $target (exit status $status); the end of its log ($log):"
    tail -n 40 "$log"
  fi
done

echo "== Summary"
printf '%s\n' "${summary[@]}"
if [ ${#failed[@]} -gt 0 ]; then
  echo "Findings in: ${failed[*]}; reproducers in $build_dir/findings"
  exit 1
fi
