#!/usr/bin/env bash
# Remakes the README's pictures from the real program: docs/test-page.png (the "Test" page with
# calls listed) and docs/guide-single-line.png (a connection guide). Builds what it needs, runs
# tests/e2e/DocsScreenshots.cpp under Wine (on a private Xvfb unless DISPLAY is set) and turns
# its shots into small palette PNGs. Called by `make docs`.
set -euo pipefail
CALLERID_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$CALLERID_ROOT/scripts/common.sh"

cmake --build "$CALLERID_BUILD" -j"${JOBS:-2}" --target CallerIdTest DalvexSim docs_screenshots >/dev/null
shots="$CALLERID_BUILD/screenshots"
mkdir -p "$shots" "$CALLERID_ROOT/docs"
rm -f "$shots"/docs-*.bmp
"$CALLERID_ROOT/scripts/with-display.sh" "$CALLERID_ROOT/scripts/wine-run.sh" \
  "$CALLERID_BUILD/tests/e2e/docs_screenshots.exe"
for name in test-page guide-single-line; do
  # 64 colours keep the window's text and pictures readable at a few tens of kilobytes.
  convert "$shots/docs-$name.bmp" -strip -dither None -colors 64 "PNG8:$CALLERID_ROOT/docs/$name.png"
  echo "docs-screenshots: docs/$name.png ($(stat -c %s "$CALLERID_ROOT/docs/$name.png") bytes)"
done
