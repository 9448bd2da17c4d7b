#!/usr/bin/env bash
# The part of run.sh that runs on a private Xvfb (started by with-display.sh, which also stops
# Wine and the X server afterwards). Not meant to be called directly.
set -uo pipefail
CALLERID_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$CALLERID_ROOT/scripts/common.sh"

exe="$1"
shots="$CALLERID_BUILD/screenshots"
mkdir -p "$shots"

shoot() {
  import -display "$DISPLAY" -window root "$1" 2>/dev/null
}

# The prefix puts the program inside its Wine desktop, which fills this Xvfb screen.
"$CALLERID_ROOT/scripts/wine-run.sh" "$exe" &
app=$!

sleep 6
if shoot "$shots/run.png"; then
  echo "run: no DISPLAY, so the program runs on a private Xvfb ($DISPLAY)."
  echo "run: screenshot saved to $shots/run.png"
fi

if [ -n "${CALLERID_RUN_SECONDS:-}" ]; then
  deadline=$((SECONDS + CALLERID_RUN_SECONDS))
  while kill -0 "$app" 2>/dev/null && [ "$SECONDS" -lt "$deadline" ]; do sleep 1; done
  if kill -0 "$app" 2>/dev/null; then
    shoot "$shots/run-end.png" && echo "run: after ${CALLERID_RUN_SECONDS} s: $shots/run-end.png; stopping"
    exit 0   # with-display.sh stops the program with the wineserver
  fi
else
  echo "run: running until the program exits; Ctrl-C stops it (set DISPLAY to watch it live)"
fi
wait "$app"
