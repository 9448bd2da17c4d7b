#!/usr/bin/env bash
# The grid's layer check passes on the tree and fails, naming the file and line, on a copy of
# the tree where a data file includes a control header.
set -uo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
check="$root/scripts/check-grid-layers.sh"
"$check" "$root" || { echo "the tree has an include that climbs" >&2; exit 1; }

copy="$(mktemp -d)"
trap 'rm -rf "$copy"' EXIT
cp -r "$root/grid" "$copy/grid"
planted="$copy/grid/data/Cells.cpp"
printf '#include "grid/control/GridView.h"\n' >>"$planted"
line="$(wc -l <"$planted")"
if output="$("$check" "$copy" 2>&1)"; then
  echo "a planted upward include passed the check" >&2
  exit 1
fi
grep -q "^grid/data/Cells.cpp:$line: includes grid/control/GridView.h" <<<"$output" ||
  { echo "the failure does not name the planted include's file and line:" >&2; echo "$output" >&2; exit 1; }
echo "layer check: passes on the tree, fails on a planted climb ($output)"
