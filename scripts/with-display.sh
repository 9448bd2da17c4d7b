#!/usr/bin/env bash
# Runs CMD with an X display: the caller's DISPLAY if set, otherwise a private Xvfb started for
# this command only. Afterwards this prefix's wineserver (and any Wine program still running in
# it) is stopped and the Xvfb is killed, so nothing outlives the command. Returns CMD's status.
#   scripts/with-display.sh ctest --test-dir build --output-on-failure
set -uo pipefail
CALLERID_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$CALLERID_ROOT/scripts/common.sh"

if [ "$#" -lt 1 ]; then
  echo "usage: $0 CMD [ARGS...]" >&2
  exit 2
fi

xvfb_pid=""
cmd_pid=""
work="$(mktemp -d "${TMPDIR:-/tmp}/callerid-display.XXXXXX")"

cleanup() {
  local status=$?
  trap - EXIT INT TERM HUP
  if [ -n "$cmd_pid" ] && kill -0 "$cmd_pid" 2>/dev/null; then
    kill -TERM "$cmd_pid" 2>/dev/null
  fi
  # Wine programs are not children of CMD in any way we can wait on (wineserver owns them);
  # stopping the server ends them all. -w waits until it is really gone.
  if [ -d "$WINEPREFIX" ]; then
    callerid_wineserver -k >/dev/null 2>&1 || true
    callerid_wineserver -w >/dev/null 2>&1 || true
  fi
  if [ -n "$cmd_pid" ]; then
    wait "$cmd_pid" 2>/dev/null || true
  fi
  if [ -n "$xvfb_pid" ]; then
    kill -TERM "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
  fi
  rm -rf "$work"
  exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
trap 'exit 129' HUP

if [ -z "${DISPLAY:-}" ]; then
  # -displayfd picks a free display number and writes it once the server accepts clients.
  Xvfb -displayfd 3 -screen 0 "${CALLERID_DESKTOP_SIZE}x24" -nolisten tcp -noreset \
    3>"$work/display" >"$work/xvfb.log" 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 1 200); do
    [ -s "$work/display" ] && break
    if ! kill -0 "$xvfb_pid" 2>/dev/null; then
      echo "with-display: Xvfb failed to start:" >&2
      cat "$work/xvfb.log" >&2
      xvfb_pid=""
      exit 1
    fi
    sleep 0.05
  done
  if [ ! -s "$work/display" ]; then
    echo "with-display: Xvfb did not report a display within 10 s" >&2
    exit 1
  fi
  export DISPLAY=":$(head -n1 "$work/display")"
  echo "with-display: started Xvfb on $DISPLAY" >&2
fi

# CMD runs in the background so that a signal reaches our trap at once, not after CMD ends;
# it keeps our stdin.
"$@" <&0 &
cmd_pid=$!
wait "$cmd_pid"
status=$?
cmd_pid=""
exit "$status"
