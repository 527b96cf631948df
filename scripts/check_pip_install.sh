#!/usr/bin/env bash
# Installs the module with pip from a copy of the sources into a fresh virtual environment of
# Debian's python3 (seeing the system's NumPy, setuptools and wheel), offline and without build
# isolation, as the README says; then checks what pip show knows, imports the module from
# outside the sources and checks that its extension carries the engine (no libneural-creatures.so.0).
#
#   bash scripts/check_pip_install.sh
#
# NC_PYTHON names the python3 to use (/usr/bin/python3 by default); CMAKE_ARGS passes options
# to the extension's CMake build (e.g. a compiler launcher).
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/.." && pwd)
python=${NC_PYTHON:-/usr/bin/python3}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

failures=0
fail() {
  echo "check_pip_install: $*" >&2
  failures=$((failures + 1))
}

mkdir "$work/source"
# A compiler cache, if CMAKE_ARGS names one, finds the objects of the last copy again.
export CCACHE_BASEDIR=$work
tar -C "$source_dir" --exclude=./.git --exclude='./build*' --exclude=./web/node_modules -cf - . |
  tar -C "$work/source" -xf -
"$python" -m venv --system-site-packages "$work/venv"
"$work/venv/bin/pip" install --quiet --no-build-isolation --no-index "$work/source"

version=$(sed -n 's/^project(neural_creatures VERSION \([0-9.]*\).*/\1/p' "$source_dir/CMakeLists.txt")
shown=$(cd "$work" && "$work/venv/bin/pip" show neural_creatures)
echo "$shown"
grep -qx "Version: $version" <<<"$shown" || fail "pip show gives no version $version"
grep -qx "License: MIT" <<<"$shown" || fail "pip show gives no licence"
grep -qE '^Summary: .+' <<<"$shown" || fail "pip show gives no summary"

site=$("$work/venv/bin/python" -c 'import sysconfig; print(sysconfig.get_path("platlib"))')
(cd "$work" && env -u PYTHONPATH -u LD_LIBRARY_PATH "$work/venv/bin/python" -c '
import sys, neural_creatures
network = neural_creatures.Network.from_layers([2, 2, 1], seed=9)
print(neural_creatures.__file__, network.evaluate([[0, 1]]))
assert neural_creatures.__file__.startswith(sys.argv[1]), "not the module pip installed"' "$site") ||
  fail "the module pip installed does not import"
linked=$(ldd "$site"/neural_creatures/_engine*.so)
! grep -q 'libneural-creatures' <<<"$linked" || fail "the extension needs libneural-creatures.so.0"
# A run path left from the build (even an empty entry, the current directory) has no place here.
dynamic=$(readelf -d "$site"/neural_creatures/_engine*.so)
! grep -qE 'RPATH|RUNPATH' <<<"$dynamic" || fail "the extension keeps a run path: $(grep PATH <<<"$dynamic")"

if [ "$failures" -gt 0 ]; then
  echo "check_pip_install: $failures problem(s)" >&2
  exit 1
fi
echo "check_pip_install: pip installed neural_creatures $version"
