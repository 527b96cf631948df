#!/usr/bin/env bash
# Installs the Debian packages needed to build the programs ("run"), also to test them ("test"),
# also to build the Debian package ("package"), or also to cross-check the engine on 64-bit ARM
# ("cross").
set -euo pipefail

run_packages=(g++ cmake make pkg-config liballegro4-dev libpng-dev)
# The engine's Python module (pybind11, NumPy) and its API reference (doxygen), with the tests
# of both and the package.
library_packages=(python3-dev pybind11-dev python3-numpy doxygen)
test_packages=(libgtest-dev libgmock-dev libbenchmark-dev python3 xvfb xdotool x11-apps locales
  clang libclang-rt-dev valgrind python3-pytest "${library_packages[@]}")
# dpkg-shlibdeps (dpkg-dev) and file, with which CPack finds the libraries the programs need.
package_packages=(dpkg-dev file "${library_packages[@]}")
# A cross compiler, an emulator to run its programs, and GoogleTest's sources to build for it.
cross_packages=(g++-aarch64-linux-gnu qemu-user googletest cmake)

packages=("${run_packages[@]}")
case "${1:-run}" in
  run) ;;
  test) packages+=("${test_packages[@]}") ;;
  package) packages+=("${package_packages[@]}") ;;
  cross) packages+=("${cross_packages[@]}") ;;
  *)
    echo "usage: bash scripts/install_deps.sh [run|test|package|cross]" >&2
    exit 64
    ;;
esac

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
done
[ ${#missing[@]} -gt 0 ] || exit 0

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
