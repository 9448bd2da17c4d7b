#!/usr/bin/env bash
# Builds the benchmark programs of the current flavour and runs them in one go under one X
# display: row operations and heap per cell, paint, call list and start-up, each beside its
# reference (the platform's list view, a vector per column, a minimal GDI grid, a minimal window
# program) measured in the same run, as one table with ratios and goals. Only ratios from the
# same run mean anything on a shared machine.
#   scripts/bench.sh              (or `make bench`)
#   CALLERID_BENCH_ROWS=20000 scripts/bench.sh     fewer rows for the row operations
set -euo pipefail
CALLERID_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$CALLERID_ROOT/scripts/common.sh"

if [ ! -f "$CALLERID_BUILD/Makefile" ]; then
  cmake -S "$CALLERID_ROOT" -B "$CALLERID_BUILD" -G "Unix Makefiles" \
    -DCMAKE_TOOLCHAIN_FILE="$CALLERID_TOOLCHAIN" -DCMAKE_BUILD_TYPE=Release
fi
cmake --build "$CALLERID_BUILD" -j"${JOBS:-2}" --target bench_programs
# The program's start needs the simulated control registered in the prefix.
if [ ! -f "$WINEPREFIX/.callerid-prefix-ready" ]; then
  "$CALLERID_ROOT/scripts/prefix.sh"
fi

bench="$CALLERID_BUILD/bench"
run_all() {
  local run="$CALLERID_ROOT/scripts/wine-run.sh"
  echo "Benchmarks, $CALLERID_FLAVOUR flavour, $(date -u '+%Y-%m-%d %H:%M UTC'); ratios are within this run"
  "$run" "$bench/grid_bench.exe" "${CALLERID_BENCH_ROWS:-100000}"
  "$run" "$bench/grid_paint_bench.exe"
  "$run" "$bench/calllist_bench.exe" "${CALLERID_BENCH_CALLS:-1000}"
  "$run" "$bench/startup_bench.exe"
}
export -f run_all
export CALLERID_ROOT bench
exec "$CALLERID_ROOT/scripts/with-display.sh" bash -c run_all
