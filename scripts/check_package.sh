#!/usr/bin/env bash
# Builds the Debian package and checks it: its dependencies, its contents, and the unpacked
# programs started from a directory of their own. With --install it also installs the package
# with apt, runs the installed programs the same way, and removes the package again.
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

build_dir=build-package
cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
  -DBUILD_TESTING=OFF -DNC_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build "$build_dir" -j "$(nproc)"
rm -f "$build_dir"/*.deb
(cd "$build_dir" && cpack -G DEB >/dev/null)

version=$(sed -n 's/^project(neural_creatures VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
package="$build_dir/neural-creatures_${version}_$(dpkg --print-architecture).deb"
[ -f "$package" ] || { echo "check_package: no $package" >&2; exit 1; }

failures=0
fail() {
  echo "check_package: $*" >&2
  failures=$((failures + 1))
}

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
  ./usr/share/man/man1/creature_sim.1.gz ./usr/share/man/man1/net_tester.1.gz
  ./usr/share/man/man1/net_lab.1.gz ./usr/share/man/man1/net_train.1.gz
  ./usr/share/doc/neural-creatures/README.md ./usr/share/doc/neural-creatures/LICENSE
  ./usr/share/doc/neural-creatures/CHANGELOG.md
  ./usr/share/doc/neural-creatures/docs/network-file.md
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

echo "== unpacked package"
check_programs "$unpacked/usr" "$unpacked/usr/share/neural-creatures/examples"

if $install_for_real; then
  echo "== apt install"
  sudo_if_needed=()
  if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || { echo "check_package: --install needs root or sudo" >&2; exit 1; }
    sudo_if_needed=(sudo)
  fi
  DEBIAN_FRONTEND=noninteractive "${sudo_if_needed[@]}" apt-get install -y -qq -o Dpkg::Use-Pty=0 "./$package"
  check_programs /usr /usr/share/neural-creatures/examples
  if command -v man >/dev/null; then
    man -w net_train >/dev/null || fail "man does not find net_train"
  fi
  DEBIAN_FRONTEND=noninteractive "${sudo_if_needed[@]}" apt-get remove -y -qq -o Dpkg::Use-Pty=0 neural-creatures
fi

if [ "$failures" -gt 0 ]; then
  echo "check_package: $failures problem(s)" >&2
  exit 1
fi
echo "check_package: $package is fine"
