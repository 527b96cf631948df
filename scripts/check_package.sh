#!/usr/bin/env bash
# Builds the Debian packages and checks each one's dependencies and contents: the programs
# (neural-creatures), the engine library (libneural-creatures0), its development files
# (libneural-creatures-dev) and the Python module (python3-neural-creatures). Then starts the
# unpacked programs from a directory of their own and imports the unpacked Python module. With
# --install it also installs the four packages with apt, runs the installed programs, builds
# the example consumer against the installed development files, imports the module, and
# removes the packages again.
#
#   bash scripts/check_package.sh [--install]
set -euo pipefail
cd "$(dirname "$0")/.."
source_dir=$PWD

install_for_real=false
if [ "${1:-}" = --install ]; then
  install_for_real=true
fi

# The build's packages, with dpkg-dev (dpkg-shlibdeps) and file, with which CPack finds the
# libraries the programs need.
bash scripts/install_deps.sh package
# The browser edition's page goes into the programs' package; emscripten builds it.
bash scripts/install_deps.sh web
NC_WEB_BUILD_DIR="$source_dir/build-package-web" bash scripts/build_web.sh >/dev/null

build_dir=build-package
cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
  -DBUILD_TESTING=OFF -DNC_BUILD_BENCHMARKS=OFF -DNC_WEB_PAGE="$source_dir/build-package-web/neural-creatures.html" >/dev/null
cmake --build "$build_dir" -j "$(nproc)"
rm -f "$build_dir"/*.deb
(cd "$build_dir" && cpack -G DEB >/dev/null)

version=$(sed -n 's/^project(neural_creatures VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
architecture=$(dpkg --print-architecture)
multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH)
package_names=(neural-creatures libneural-creatures0 libneural-creatures-dev python3-neural-creatures)
deb_of() {
  echo "$build_dir/${1}_${version}_${architecture}.deb"
}
for name in "${package_names[@]}"; do
  [ -f "$(deb_of "$name")" ] || { echo "check_package: no $(deb_of "$name")" >&2; exit 1; }
done
package=$(deb_of neural-creatures)

failures=0
fail() {
  echo "check_package: $*" >&2
  failures=$((failures + 1))
}

# --- lintian: Debian's checks of the four packages; its errors fail, its warnings are listed ----
package_files=()
for name in "${package_names[@]}"; do
  package_files+=("$(deb_of "$name")")
done
echo "== lintian"
findings=$(lintian --fail-on none "${package_files[@]}") || fail "lintian did not run"
[ -z "$findings" ] || echo "$findings"
errors=$(grep -c '^E:' <<<"$findings" || true)
[ "$errors" -eq 0 ] || fail "lintian finds $errors error(s)"

# --- Control fields ----------------------------------------------------------------------
echo "== $package"
dpkg-deb -f "$package" Package Version Depends
[ "$(dpkg-deb -f "$package" Package)" = neural-creatures ] || fail "wrong package name"
[ "$(dpkg-deb -f "$package" Version)" = "$version" ] || fail "version is not $version"
depends=$(dpkg-deb -f "$package" Depends)
for library in liballegro4.4 libc6 libstdc++6; do
  grep -q "\b$library\b" <<<"$depends" || fail "Depends lacks $library: $depends"
done

# --- Contents ----------------------------------------------------------------------------
contents=$(dpkg-deb -c "$package" | awk '{print $6}')
expected=(
  ./usr/bin/creature_sim ./usr/bin/net_tester ./usr/bin/net_lab ./usr/bin/net_train
  ./usr/bin/creature_lab
  ./usr/share/man/man1/creature_sim.1.gz ./usr/share/man/man1/net_tester.1.gz
  ./usr/share/man/man1/net_lab.1.gz ./usr/share/man/man1/net_train.1.gz
  ./usr/share/man/man1/creature_lab.1.gz
  ./usr/share/doc/neural-creatures/README.md ./usr/share/doc/neural-creatures/LICENSE
  ./usr/share/doc/neural-creatures/CHANGELOG.md
  ./usr/share/doc/neural-creatures/docs/network-file.md
  ./usr/share/doc/neural-creatures/copyright ./usr/share/doc/neural-creatures/changelog.gz
)
for example in examples/*.txt examples/*.csv examples/README.md; do
  expected+=("./usr/share/neural-creatures/$example")
done
for image in docs/images/*.png; do
  [ -e "$image" ] && expected+=("./usr/share/doc/neural-creatures/$image")
done
for path in "${expected[@]}"; do
  grep -qxF "$path" <<<"$contents" || fail "the package lacks $path"
done
unexpected=$(grep -vE '^\./usr/(bin|share/(man/man1|neural-creatures|doc/neural-creatures))(/|$)' \
  <<<"$contents" | grep -vxE '\./usr/|\./usr/share/|\./usr/share/(doc|man)/' || true)
[ -z "$unexpected" ] || fail "unexpected files in the package: $unexpected"
echo "contents: ${#expected[@]} expected files present"

# --- The library, its development files and the Python module ----------------------------
# Checks a package's name, version, each dependency named, and that its files are exactly
# the expected ones (directories aside) with Debian's copyright file and changelog; an expected
# entry may be a shell pattern.
check_library_package() {
  local name=$1 depends_list=$2
  shift 2
  set -- "$@" "./usr/share/doc/$name/copyright" "./usr/share/doc/$name/changelog.gz"
  local deb
  deb=$(deb_of "$name")
  echo "== $deb"
  dpkg-deb -f "$deb" Package Version Depends
  [ "$(dpkg-deb -f "$deb" Package)" = "$name" ] || fail "$deb: wrong package name"
  [ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "$deb: version is not $version"
  local depends dependency
  depends=$(dpkg-deb -f "$deb" Depends)
  IFS=';' read -ra dependencies <<<"$depends_list"
  for dependency in "${dependencies[@]}"; do
    grep -qF "$dependency" <<<"$depends" || fail "$deb: Depends lacks $dependency: $depends"
  done
  local files path found
  files=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $6}')
  for path in "$@"; do
    found=false
    while IFS= read -r file; do
      # shellcheck disable=SC2053
      [[ $file == $path ]] && found=true && break
    done <<<"$files"
    $found || fail "$deb lacks $path"
  done
  while IFS= read -r file; do
    found=false
    for path in "$@"; do
      # shellcheck disable=SC2053
      [[ $file == $path ]] && found=true && break
    done
    $found || fail "$deb holds the unexpected $file"
  done <<<"$files"
  echo "contents: $(wc -l <<<"$files") files, as expected"
}

lib=./usr/lib/$multiarch
check_library_package libneural-creatures0 "libc6;libstdc++6" \
  "$lib/libneural-creatures.so.0" "$lib/libneural-creatures.so.$version"
[ "$(dpkg-deb -c "$(deb_of libneural-creatures0)" | awk '$6 ~ /\.so\.0$/ {print $8}')" = "libneural-creatures.so.$version" ] ||
  fail "libneural-creatures.so.0 does not point at libneural-creatures.so.$version"
dpkg-deb --ctrl-tarfile "$(deb_of libneural-creatures0)" | tar -xO ./shlibs 2>/dev/null |
  grep -qx "libneural-creatures 0 libneural-creatures0 (= $version)" || fail "libneural-creatures0 has no shlibs entry"
dpkg-deb --ctrl-tarfile "$(deb_of libneural-creatures0)" | tar -xO ./triggers 2>/dev/null |
  grep -qx "activate-noawait ldconfig" || fail "libneural-creatures0 has no ldconfig trigger"

documents=./usr/share/doc/libneural-creatures-dev
headers=()
for header in network training_run neuron diagnostics atomic_file format_check csv_patterns data_sets export; do
  headers+=("./usr/include/neural-creatures/$header.h")
done
check_library_package libneural-creatures-dev "libneural-creatures0 (= $version)" \
  "${headers[@]}" "$lib/libneural-creatures.so" "$lib/pkgconfig/neural-creatures.pc" \
  "$lib/cmake/NeuralCreatures/NeuralCreaturesConfig.cmake" \
  "$lib/cmake/NeuralCreatures/NeuralCreaturesConfigVersion.cmake" \
  "$lib/cmake/NeuralCreatures/NeuralCreaturesTargets.cmake" \
  "$lib/cmake/NeuralCreatures/NeuralCreaturesTargets-*.cmake" \
  "$documents/api.md" "$documents/api/index.html" "$documents/api/classNetwork.html" "$documents/api/*" \
  "$documents/examples/consumer/consumer.cpp" "$documents/examples/consumer/CMakeLists.txt" \
  "$documents/examples/consumer/Makefile"

python_dir=./usr/lib/python3/dist-packages/neural_creatures
check_library_package python3-neural-creatures \
  "libneural-creatures0 (= $version);python3-numpy;python3 (>= 3.;python3 (<< 3." \
  "$python_dir/__init__.py" "$python_dir/__init__.pyi" "$python_dir/py.typed" \
  "$python_dir/_engine.cpython-*-$multiarch.so" \
  "$python_dir-$version.dist-info/METADATA" "$python_dir-$version.dist-info/top_level.txt" \
  ./usr/share/doc/python3-neural-creatures/examples/train_exclusive_or.py \
  ./usr/share/doc/python3-neural-creatures/examples/exclusive_or_notebook.py

# --- The programs, unpacked or installed ---------------------------------------------------
unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
dpkg-deb -x "$package" "$unpacked"
for page in "$unpacked"/usr/share/man/man1/*.1.gz; do
  gzip -t "$page" || fail "$page is no gzip file"
done

# Runs the programs of a prefix from fresh directories: net_train on an installed example,
# the two graphical programs under Xvfb without and with a copied example.
check_programs() {
  local prefix=$1 examples=$2
  local shown
  shown=$("$prefix/bin/net_train" --version)
  [ "$shown" = "net_train $version" ] || fail "net_train --version says '$shown'"
  local work
  work=$(mktemp -d)
  cp "$examples/exclusive_or_training.txt" "$work/"
  local status=0
  (cd "$work" && "$prefix/bin/net_train" -q exclusive_or_training.txt -o trained.txt) || status=$?
  [ "$status" -le 1 ] && [ -s "$work/trained.txt" ] || fail "net_train on an example: status $status"
  rm -rf "$work"
  if command -v Xvfb >/dev/null && command -v xdotool >/dev/null && command -v python3 >/dev/null; then
    python3 - "$source_dir/tests/e2e" "$prefix/bin" "$examples" <<'PYTHON' || fail "the graphical programs did not start as they should"
"""Starts each installed graphical program in a fresh directory under Xvfb."""
import os
import sys
sys.path.insert(0, sys.argv[1])
from e2e_support import ProgramExited, Session

bin_dir, examples = sys.argv[2], sys.argv[3]
ERROR_COLOUR = 90


def example(name):
    with open(os.path.join(examples, name)) as text:
        return text.read()


def run(program, width, height, files, panel_expected, attempt=1):
    with Session(os.path.join(bin_dir, program), width, height, files=files) as session:
        try:
            session.wait_ready()
        except ProgramExited:
            # Lost to an Xvfb reset when its first client left: one more start.
            if attempt == 2:
                raise
            return run(program, width, height, files, panel_expected, 2)
        panel = session.screenshot().count(ERROR_COLOUR) > 0
        session.hold_key("Escape")
        status = session.wait_exit(10)
        state = "%s in a fresh directory %s: error panel %s, exit status %s" % (
            program, "with " + ", ".join(files) if files else "without files",
            "shown" if panel else "absent", status)
        print(state, flush=True)
        return panel == panel_expected and status == 0


results = [
    run("creature_sim", 640, 480, {}, True),
    run("creature_sim", 640, 480, {"config_generated.txt": example("follower.txt")}, False),
    run("net_tester", 800, 600, {"config_generated.txt": example("exclusive_or.txt")}, False),
    run("net_lab", 800, 600, {}, True),
    run("net_lab", 800, 600, {"config_generated.txt": example("exclusive_or_training.txt")}, False),
]
sys.exit(0 if all(results) else 1)
PYTHON
  else
    echo "Xvfb, xdotool or python3 missing: the graphical programs were not started"
  fi
}

echo "== unpacked packages"
check_programs "$unpacked/usr" "$unpacked/usr/share/neural-creatures/examples"
for name in libneural-creatures0 python3-neural-creatures; do
  dpkg-deb -x "$(deb_of "$name")" "$unpacked"
done
# The library's exported symbols: the engine's classes and functions, none of its helpers.
exported=$(nm -DC --defined-only "$unpacked/usr/lib/$multiarch/libneural-creatures.so.0" | awk '$2 ~ /[TW]/')
echo "exported: $(grep -cE ' (Network|Neuron)::| write_file_atomically| check_writable_destination' <<<"$exported") engine symbols"
grep -q ' Network::evaluate()' <<<"$exported" || fail "the library does not export Network::evaluate"
! grep -qE 'LineReader|LineSource|FastForm|open_for_reading|Network::read_network_lines' <<<"$exported" ||
  fail "the library exports engine helpers"
check_python() {
  local python_dir=$1
  /usr/bin/python3 -c '
import importlib.metadata, sys, neural_creatures
network = neural_creatures.Network(sys.argv[1])
result, passes = network.train(sys.argv[1])
print("python3: neural_creatures", neural_creatures.__version__, network.layer_sizes, result, passes)
assert neural_creatures.__file__.startswith(sys.argv[2])
assert importlib.metadata.version("neural_creatures") == neural_creatures.__version__, "no metadata"' "$source_dir/examples/exclusive_or_training.txt" "$python_dir" ||
    fail "the Python module does not import or train"
}
LD_LIBRARY_PATH=$unpacked/usr/lib/$multiarch PYTHONPATH=$unpacked/usr/lib/python3/dist-packages \
  check_python "$unpacked/usr/lib/python3/dist-packages"

if $install_for_real; then
  echo "== apt install"
  sudo_if_needed=()
  if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || { echo "check_package: --install needs root or sudo" >&2; exit 1; }
    sudo_if_needed=(sudo)
  fi
  debs=()
  for name in "${package_names[@]}"; do
    debs+=("./$(deb_of "$name")")
  done
  DEBIAN_FRONTEND=noninteractive "${sudo_if_needed[@]}" apt-get install -y -qq -o Dpkg::Use-Pty=0 "${debs[@]}"
  check_programs /usr /usr/share/neural-creatures/examples
  (cd / && check_python /usr/lib/python3/dist-packages)
  consumer=$(mktemp -d)
  cp -r /usr/share/doc/libneural-creatures-dev/examples/consumer/. "$consumer/"
  make -s -C "$consumer" && "$consumer/consumer" "$source_dir/examples/exclusive_or.txt" 0,1 ||
    fail "the example consumer does not build through pkg-config"
  cmake -S "$consumer" -B "$consumer/build" >/dev/null && cmake --build "$consumer/build" >/dev/null &&
    "$consumer/build/consumer" "$source_dir/examples/exclusive_or.txt" 1,1 ||
    fail "the example consumer does not build through find_package"
  rm -rf "$consumer"
  if command -v man >/dev/null; then
    man -w net_train >/dev/null || fail "man does not find net_train"
  fi
  DEBIAN_FRONTEND=noninteractive "${sudo_if_needed[@]}" apt-get remove -y -qq -o Dpkg::Use-Pty=0 "${package_names[@]}"
fi

if [ "$failures" -gt 0 ]; then
  echo "check_package: $failures problem(s)" >&2
  exit 1
fi
echo "check_package: the packages ${package_names[*]} are fine"
