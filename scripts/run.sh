#!/usr/bin/env bash
# Starts build/<flavour>/app/CallerIdTest.exe under Wine with the demonstration script driving the
# simulated device (resources/demo.sim, when present).
# Either way it appears inside the prefix's Wine desktop, which has a taskbar and notification
# area (see prefix.sh).
# - With the caller's DISPLAY the program simply runs there until it is closed.
# - Without one it runs on a private Xvfb; a screenshot is saved a few seconds in, and the run
#   ends when the program exits, on Ctrl-C, or after CALLERID_RUN_SECONDS seconds if set.
# Another program can be given instead: scripts/run.sh build/tools/Foo.exe
set -euo pipefail
CALLERID_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$CALLERID_ROOT/scripts/common.sh"

exe="$(realpath -m "${1:-$CALLERID_BUILD/app/CallerIdTest.exe}")"
if [ ! -f "$exe" ]; then
  echo "run: $exe has not been built (is app/CMakeLists.txt there?)" >&2
  exit 1
fi

demo="$CALLERID_ROOT/resources/demo.sim"
if [ -f "$demo" ]; then
  # The simulator inside Wine reads it, so give it the Windows form of the path.
  CALLERID_SIM_SCRIPT="$(callerid_windows_path "$demo")"
  export CALLERID_SIM_SCRIPT
  echo "run: the simulated device follows $demo"
fi

# The program keeps its day-by-day log under the prefix user's application data.
echo "run: the program's log goes to $WINEPREFIX/drive_c/users/$(id -un)/AppData/Local/Caller ID Test/Logs/"

if [ -n "${DISPLAY:-}" ]; then
  echo "run: starting $(basename "$exe") on DISPLAY=$DISPLAY"
  exec "$CALLERID_ROOT/scripts/with-display.sh" "$CALLERID_ROOT/scripts/wine-run.sh" "$exe"
fi

exec "$CALLERID_ROOT/scripts/with-display.sh" "$CALLERID_ROOT/scripts/run-headless.sh" "$exe"
