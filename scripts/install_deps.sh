#!/usr/bin/env bash
# Installs the Debian packages needed to build the programs ("run"), also to build the browser
# edition ("web"), also to test them all ("test": the browser tests also need the npm packages of
# web/package-lock.json), also to build the Debian package ("package"), or also to cross-check
# the engine on 64-bit ARM ("cross").
set -euo pipefail

run_packages=(g++ cmake make pkg-config liballegro4-dev libpng-dev)
# The engine's Python module (pybind11, NumPy) and its API reference (doxygen), with the tests
# of both and the package.
library_packages=(python3-dev pybind11-dev python3-numpy doxygen)
# The browser edition: emscripten compiles the page; Chromium, Firefox ESR and node run its tests.
web_packages=(emscripten python3)
# mypy checks the module's stubs; pip installs it into a virtual environment (venv) with
# setuptools and wheel.
test_packages=(libgtest-dev libgmock-dev libbenchmark-dev python3 xvfb xdotool x11-apps locales
  clang libclang-rt-dev valgrind python3-pytest python3-sklearn python3-matplotlib python3-nbclient python3-ipykernel
  chromium firefox-esr nodejs mypy python3-venv python3-setuptools python3-wheel "${web_packages[@]}" "${library_packages[@]}")
# dpkg-shlibdeps (dpkg-dev) and file, with which CPack finds the libraries the programs need;
# lintian checks the packages.
package_packages=(dpkg-dev file lintian "${library_packages[@]}")
# A cross compiler, an emulator to run its programs, and GoogleTest's sources to build for it.
cross_packages=(g++-aarch64-linux-gnu qemu-user googletest cmake)

packages=("${run_packages[@]}")
case "${1:-run}" in
  run) ;;
  web) packages+=("${web_packages[@]}") ;;
  test) packages+=("${test_packages[@]}") ;;
  package) packages+=("${package_packages[@]}") ;;
  cross) packages+=("${cross_packages[@]}") ;;
  *)
    echo "usage: bash scripts/install_deps.sh [run|web|test|package|cross]" >&2
    exit 64
    ;;
esac

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
done
# A node from elsewhere may bring its own npm; Debian's npm comes with Debian's node only.
if [ "${1:-run}" = test ] && ! command -v npm >/dev/null; then
  missing+=(npm)
fi

# The browser tests' npm packages, exactly as the lock file pins them; nothing to do when each
# installed one is the locked one.
install_web_test_packages() {
  [ "${1:-run}" = test ] || return 0
  local web_dir
  web_dir="$(cd "$(dirname "$0")/../web" && pwd)"
  node -e '
    const web = process.argv[1];
    const locked = require(`${web}/package-lock.json`).packages;
    const installed = (name) => { try { return require(`${web}/node_modules/${name}/package.json`).version; } catch { return null; } };
    process.exit(Object.keys(locked[""].devDependencies)
      .every((name) => installed(name) === locked[`node_modules/${name}`].version) ? 0 : 1);' "$web_dir" && return 0
  (cd "$web_dir" && npm ci --no-audit --no-fund)
}

if [ ${#missing[@]} -eq 0 ]; then
  install_web_test_packages "${1:-run}"
  exit 0
fi

# A Debian installed with a root password has no sudo: say what to do instead of failing on it.
sudo_if_needed=()
if [ "$(id -u)" -ne 0 ]; then
  if ! command -v sudo >/dev/null; then
    echo "install_deps: these packages are missing: ${missing[*]}" >&2
    echo "install_deps: sudo is not installed; as root, run: apt-get install ${missing[*]}" >&2
    echo "install_deps: (or install sudo and add yourself to the group sudo), then run this again" >&2
    exit 1
  fi
  sudo_if_needed=(sudo)
fi
"${sudo_if_needed[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo_if_needed[@]}" apt-get install -y -qq "${missing[@]}"
install_web_test_packages "${1:-run}"
