#!/usr/bin/env bash
# Runs tray_demo.exe inside Wine's own desktop, whose taskbar has a notification area, and saves
# screenshots of the icon with its balloon and with its menu under build/screenshots/.
#   scripts/with-display.sh tests/tray/show-tray.sh
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/common.sh"

exe="$CALLERID_BUILD/tests/tray/tray_demo.exe"
shots="$CALLERID_BUILD/screenshots"
mkdir -p "$shots"
[ -f "$exe" ] || { echo "show-tray: build tray_demo first" >&2; exit 1; }
[ -n "${DISPLAY:-}" ] || { echo "show-tray: run me through scripts/with-display.sh" >&2; exit 1; }

shoot() {
  import -display "$DISPLAY" -window root -crop "${CALLERID_DESKTOP_SIZE}+0+0" +repage "$1"
  echo "show-tray: $1"
}

LC_ALL="$CALLERID_LOCALE" wine explorer "/desktop=$CALLERID_DESKTOP_NAME,$CALLERID_DESKTOP_SIZE" \
  "$(callerid_windows_path "$exe")" &
demo=$!
sleep "${TRAY_BALLOON_AT:-5}"
shoot "$shots/tray-balloon.png"
sleep "${TRAY_MENU_AFTER:-3}"
shoot "$shots/tray-menu.png"
wait "$demo" || true
