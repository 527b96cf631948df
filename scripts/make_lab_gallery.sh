#!/usr/bin/env bash
# Makes the creature_lab gallery of examples/README.md: evolves one creature per behaviour
# (examples/evolved_*.txt), draws the trace of each hand-trained and evolved creature
# (docs/images/lab_*.png) and prints the scores for the README's table.
# Usage: scripts/make_lab_gallery.sh [BUILD_DIR]   (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."

lab="${1:-build}/creature_lab/creature_lab"
if [ ! -x "$lab" ]; then
  echo "make_lab_gallery: $lab not found; build the target creature_lab first" >&2
  exit 1
fi
trace_frames=1500
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

score_of() {
  "$lab" score "$1" --behaviour "$2" | tail -n 1 | cut -d ' ' -f 2
}

echo "| behaviour | hand-trained | score | evolved | score |"
echo "|---|---|---|---|---|"
for row in follow:follower flee:avoider circle:circler; do
  behaviour="${row%%:*}"
  name="${row##*:}"
  evolved="examples/evolved_${name}.txt"
  "$lab" evolve --behaviour "$behaviour" -o "$evolved" > "$work/evolve.log"
  "$lab" trace "examples/${name}.txt" -o "$work/trace.csv" --image "docs/images/lab_${name}.png" \
    --frames "$trace_frames" > /dev/null
  "$lab" trace "$evolved" -o "$work/trace.csv" --image "docs/images/lab_evolved_${name}.png" \
    --frames "$trace_frames" > /dev/null
  echo "| $behaviour | \`${name}.txt\` | $(score_of "examples/${name}.txt" "$behaviour")" \
       "| \`evolved_${name}.txt\` | $(score_of "$evolved" "$behaviour") |"
done
