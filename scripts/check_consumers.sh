#!/usr/bin/env bash
# Installs a build's engine library, development files and Python module into a staging
# directory (DESTDIR), then builds the example consumer against them twice, through pkg-config
# and through find_package(NeuralCreatures), runs both, and imports the staged Python module.
# Then installs them again with `cmake --install --prefix` into a directory of their own, builds
# the consumer there through pkg-config alone and imports the module from the path the README
# names, its extension finding the library by its run path.
#
#   bash scripts/check_consumers.sh BUILD_DIR
#
# NC_PYTHON names the python3 the module was built for (CTest passes it).
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/.." && pwd)
build_dir=$(cd "${1:?usage: bash scripts/check_consumers.sh BUILD_DIR}" && pwd)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
stage=$work/stage
prefix=$(sed -n 's/^CMAKE_INSTALL_PREFIX:PATH=//p' "$build_dir/CMakeCache.txt")
for component in library development python; do
  DESTDIR=$stage cmake --install "$build_dir" --component "$component" >/dev/null
done
libdir=$(dirname "$(find "$stage" -name 'libneural-creatures.so.0' | head -n 1)")
[ -d "$libdir" ] || { echo "check_consumers: no libneural-creatures.so.0 staged" >&2; exit 1; }

failures=0
fail() {
  echo "check_consumers: $*" >&2
  failures=$((failures + 1))
}

# The installed headers hold only what a user calls: not the fast form's header nor its
# kernel choice (Network names the fast form only to hold it behind a pointer).
headers=$(find "$stage" -path '*/include/neural-creatures/*' -type f)
[ -n "$headers" ] || fail "no headers staged"
grep -q 'fast_form' <<<"$headers" && fail "the fast form's header is installed"
grep -l 'select_kernels' $headers && fail "an installed header offers the kernel choice"

network=$source_dir/examples/exclusive_or.txt
rows=(0,0 0,1 1,0 1,1)
# The installed library, not one of the build tree, must be the one the consumers load.
run_consumer() {
  LD_LIBRARY_PATH=$libdir "$1" "$network" "${rows[@]}"
}

echo "== pkg-config"
cp -r "$source_dir/examples/consumer" "$work/with_pkg_config"
PKG_CONFIG_PATH=$libdir/pkgconfig PKG_CONFIG_SYSROOT_DIR=$stage \
  make -s -C "$work/with_pkg_config" || fail "the consumer does not build through pkg-config"
by_pkg_config=$(run_consumer "$work/with_pkg_config/consumer") || fail "the pkg-config consumer failed"
echo "$by_pkg_config"

echo "== find_package"
cmake -S "$source_dir/examples/consumer" -B "$work/with_cmake" -DCMAKE_PREFIX_PATH="$stage$prefix" \
  -DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF >/dev/null || fail "find_package(NeuralCreatures) failed"
cmake --build "$work/with_cmake" >/dev/null || fail "the consumer does not build through find_package"
by_cmake=$(run_consumer "$work/with_cmake/consumer") || fail "the find_package consumer failed"
# The whole list first: grep -q may stop reading while ldd still writes, which pipefail counts.
linked=$(ldd "$work/with_cmake/consumer")
grep -q 'libneural-creatures.so.0' <<<"$linked" || fail "the consumer does not load the shared library"

[ "$by_pkg_config" = "$by_cmake" ] || fail "the two consumers disagree"
[ "$(grep -c ' -> ' <<<"$by_cmake")" -eq ${#rows[@]} ] || fail "not one row of outputs per row of inputs"
# exclusive-or: low for equal inputs, high for different ones
awk '/^0,0 ->|^1,1 ->/ { if ($3 >= 0.5) exit 1 } /^0,1 ->|^1,0 ->/ { if ($3 <= 0.5) exit 1 }' \
  <<<"$by_cmake" || fail "the outputs are not exclusive-or: $by_cmake"

# Imports the module of a dist-packages directory (with the environment given before the call)
# and reads its version from its metadata, as pip show does.
check_python_module() {
  "${NC_PYTHON:-python3}" -c '
import importlib.metadata, sys, neural_creatures
network = neural_creatures.Network(sys.argv[1])
print(neural_creatures.__file__, network.layer_sizes)
assert neural_creatures.__file__.startswith(sys.argv[2]), "not the installed module"
assert importlib.metadata.version("neural_creatures") == neural_creatures.__version__, "no metadata"' \
    "$network" "$1"
}

python_dir=$stage$prefix/lib/python3/dist-packages
if [ -d "$python_dir/neural_creatures" ]; then
  echo "== python3"
  LD_LIBRARY_PATH=$libdir PYTHONPATH=$python_dir check_python_module "$python_dir" ||
    fail "the staged Python module does not import"
fi

echo "== cmake --install --prefix"
installed=$work/prefix
for component in library development python; do
  cmake --install "$build_dir" --component "$component" --prefix "$installed" >/dev/null
done
pc_dir=$(dirname "$(find "$installed" -name neural-creatures.pc | head -n 1)")
cp -r "$source_dir/examples/consumer" "$work/with_prefix"
PKG_CONFIG_PATH=$pc_dir make -s -C "$work/with_prefix" ||
  fail "the consumer does not build through pkg-config against the prefix"
by_prefix=$(LD_LIBRARY_PATH=$pc_dir/.. "$work/with_prefix/consumer" "$network" "${rows[@]}") ||
  fail "the consumer built against the prefix failed"
[ "$by_prefix" = "$by_cmake" ] || fail "the consumer built against the prefix disagrees: $by_prefix"
if [ -d "$python_dir/neural_creatures" ]; then
  (unset LD_LIBRARY_PATH; PYTHONPATH=$installed/lib/python3/dist-packages \
    check_python_module "$installed/lib/python3/dist-packages") ||
    fail "the module installed with --prefix does not import from PREFIX/lib/python3/dist-packages"
fi

if [ "$failures" -gt 0 ]; then
  echo "check_consumers: $failures problem(s)" >&2
  exit 1
fi
echo "check_consumers: both consumers built and ran against the staged library"
