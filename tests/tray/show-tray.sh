#!/usr/bin/env bash
# Runs tray_demo.exe inside Wine's own desktop, whose taskbar has a notification area, and saves
# screenshots of the icon with its balloon, and then with its menu too, under build/<flavour>/screenshots/.
#   scripts/with-display.sh tests/tray/show-tray.sh
set -euo pipefail
CALLERID_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
source "$CALLERID_ROOT/scripts/common.sh"

exe="$CALLERID_BUILD/tests/tray/tray_demo.exe"
shots="$CALLERID_BUILD/screenshots"
mkdir -p "$shots"
[ -f "$exe" ] || { echo "show-tray: build tray_demo first" >&2; exit 1; }
[ -n "${DISPLAY:-}" ] || { echo "show-tray: run me through scripts/with-display.sh" >&2; exit 1; }
"$CALLERID_ROOT/scripts/prefix.sh"

shoot() {
  import -display "$DISPLAY" -window root -crop "${CALLERID_DESKTOP_SIZE}+0+0" +repage "$1"
  echo "show-tray: $1"
}

marks="$(mktemp -d)"
trap 'rm -rf "$marks"' EXIT
export TRAY_DEMO_MARKS="$(callerid_windows_path "$marks")"

# Waits for the demonstration to reach step $1, then $2 seconds for the screen to settle.
await() {
  for _ in $(seq 1 300); do
    [ -e "$marks/$1" ] && { sleep "$2"; return 0; }
    sleep 0.1
  done
  echo "show-tray: the demonstration never reached '$1'" >&2
  return 1
}

callerid_wine explorer "/desktop=$CALLERID_DESKTOP_NAME,$CALLERID_DESKTOP_SIZE" \
  "$(callerid_windows_path "$exe")" &
demo=$!
# Wine's notification area opens a balloon 2 s after it is asked for.
await balloon 3 && shoot "$shots/tray-balloon.png"
await menu 1 && shoot "$shots/tray-menu-balloon.png"
wait "$demo" || true
