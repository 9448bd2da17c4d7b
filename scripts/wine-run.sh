#!/bin/sh
# Runs a Windows program under Wine in the project's prefix of the current flavour (32- or
# 64-bit, see flavour.sh), with the Turkish locale the program and its tests expect. Arguments
# and the exit code pass through unchanged. Uses the caller's DISPLAY (see with-display.sh for
# running without one).
#   scripts/wine-run.sh build/win64/tests/env/env_tests.exe --gtest_filter=Locale.*
# POSIX sh on purpose: see common.sh.
set -eu
CALLERID_ROOT="$(cd "$(dirname "$0")/.." && pwd)"
. "$CALLERID_ROOT/scripts/common.sh"

if [ "$#" -lt 1 ]; then
  echo "usage: $0 PROGRAM.exe [ARGS...]" >&2
  exit 2
fi

# A missing prefix would be created by Wine on the fly, without our settings and not stamped;
# create it properly instead (prefix.sh serialises concurrent callers).
if [ ! -f "$WINEPREFIX/.callerid-prefix-ready" ]; then
  "$CALLERID_ROOT/scripts/prefix.sh" >&2
fi

# The first Wine program of a session starts Wine's helper processes (services, rpcss, the
# desktop), and they inherit its stdout and stderr. Given ctest's pipes directly, they would
# keep them open until the wineserver exits, and ctest waits for that: seconds per test, or
# until the timeout when the server is kept alive. So the program writes to files, which we
# follow until the program itself has exited.
out="$(mktemp "${TMPDIR:-/tmp}/callerid-wine-out.XXXXXX")"
err="$(mktemp "${TMPDIR:-/tmp}/callerid-wine-err.XXXXXX")"
pid=""
cleanup() {
  if [ -n "$pid" ]; then kill -TERM "$pid" 2>/dev/null || true; fi
  rm -f "$out" "$err"
}
trap cleanup EXIT
trap 'exit 143' TERM
trap 'exit 130' INT
trap 'exit 129' HUP

env LC_ALL="$CALLERID_LOCALE" "$CALLERID_WINE_LOADER" "$@" <&0 >"$out" 2>"$err" &
pid=$!
tail -s 0.05 --pid="$pid" -n +1 -f "$out" &
follow_out=$!
tail -s 0.05 --pid="$pid" -n +1 -f "$err" >&2 &
follow_err=$!

status=0
wait "$pid" || status=$?
pid=""
wait "$follow_out" "$follow_err" || true
exit "$status"
