#!/usr/bin/env bash
# Builds the browser edition and serves it on http://127.0.0.1:8000/ until Ctrl-C, for those who
# prefer a server to opening build-web/neural-creatures.html from a file. PORT chooses another port.
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
build="${NC_WEB_BUILD_DIR:-$root/build-web}"
port="${PORT:-8000}"

bash "$root/scripts/build_web.sh"
# A folder holding the page alone, as index.html, so that the address needs no file name.
served="$build/served"
mkdir -p "$served"
cp "$build/neural-creatures.html" "$served/index.html"
echo "serving http://127.0.0.1:$port/ (Ctrl-C stops)"
exec python3 -m http.server "$port" --bind 127.0.0.1 --directory "$served"
