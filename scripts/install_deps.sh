#!/usr/bin/env bash
# Installs the Debian packages needed to build the programs ("run") or also to test them ("test").
set -euo pipefail

run_packages=(g++ cmake make pkg-config liballegro4-dev)
test_packages=(libgtest-dev libgmock-dev libbenchmark-dev python3 xvfb xdotool x11-apps locales
  clang libclang-rt-dev valgrind)

packages=("${run_packages[@]}")
if [ "${1:-run}" = test ]; then
  packages+=("${test_packages[@]}")
fi

sudo_if_needed=()
if [ "$(id -u)" -ne 0 ]; then
  sudo_if_needed=(sudo)
fi

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
  "${sudo_if_needed[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_if_needed[@]}" apt-get install -y -qq "${missing[@]}"
fi
