# Shared settings for the scripts that build, run and test under Wine. Sourced, not run, after
# the caller has set CALLERID_ROOT to the repository. POSIX sh, because wine-run.sh is sh: it
# runs with LC_ALL=tr_TR.UTF-8 in its environment, a locale glibc does not have, and bash would
# print a warning about that into every test's output.
# Every Wine process of this project (tests, `make run`, prefix creation) must see the same
# prefix and environment, otherwise a long-lived wineserver would mix two configurations.

# Two flavours share the sources (see flavour.sh): win32, the program that ships, and win64,
# how a machine that cannot run 32-bit programs runs the tests. Each has its own build folder
# and Wine prefix. The Makefile decides once and exports CALLERID_FLAVOUR; scripts started by
# hand decide the same way, quietly.
if [ -z "${CALLERID_FLAVOUR:-}" ]; then
  CALLERID_FLAVOUR="$("$CALLERID_ROOT/scripts/flavour.sh" 2>/dev/null)"
fi
export CALLERID_FLAVOUR
CALLERID_BUILD="$CALLERID_ROOT/build/$CALLERID_FLAVOUR"

# CALLERID_WINEPREFIX names another prefix for a test that needs a fresh one of its own.
export WINEPREFIX="${CALLERID_WINEPREFIX:-$CALLERID_BUILD/wineprefix}"
export WINEARCH="$CALLERID_FLAVOUR"
# win32 runs Debian's 32-bit Wine through its usual commands. win64 names the 64-bit loader
# and server: without wine32 there is no `wine` command, and where wine32 is installed but
# cannot run, `wine` would pick it and fail with "Exec format error".
# The 64-bit loader is also told which server to start, so that it never picks a 32-bit one.
if [ "$CALLERID_FLAVOUR" = win64 ]; then
  CALLERID_WINE_LOADER=/usr/lib/wine/wine64
  CALLERID_WINESERVER=/usr/lib/wine/wineserver64
  export WINESERVER="$CALLERID_WINESERVER"
else
  CALLERID_WINE_LOADER=wine
  CALLERID_WINESERVER=wineserver
fi
case "$CALLERID_FLAVOUR" in
  win64) CALLERID_TOOLCHAIN="$CALLERID_ROOT/cmake/toolchain-x86_64-mingw.cmake" ;;
  *) CALLERID_TOOLCHAIN="$CALLERID_ROOT/cmake/toolchain-i686-mingw.cmake" ;;
esac
export WINEDEBUG="${CALLERID_WINEDEBUG:--all}"
# Without these overrides the first start offers to download Mono and Gecko, a dialog that
# nobody can answer under Xvfb.
# CALLERID_WINEDLLOVERRIDES adds overrides of a test's own.
export WINEDLLOVERRIDES="mscoree,mshtml=${CALLERID_WINEDLLOVERRIDES:+;$CALLERID_WINEDLLOVERRIDES}"

# Turkish is what the program and its tests expect: Wine derives the ANSI code page (1254),
# the date/time formats and the decimal separator from LC_ALL. It is given to Wine processes
# only; the host tools keep their own locale (glibc has no tr_TR here, and Turkish case rules
# would be a trap for scripts anyway).
CALLERID_LOCALE=tr_TR.UTF-8

# The Wine desktop every program of the prefix runs in (see prefix.sh): a window of this size
# on the X display, with a taskbar and notification area. Xvfb gets the same size.
CALLERID_DESKTOP_NAME=CallerIdTest
CALLERID_DESKTOP_SIZE=1024x768

callerid_wine() {
  LC_ALL="$CALLERID_LOCALE" "$CALLERID_WINE_LOADER" "$@"
}

callerid_wineserver() {
  LC_ALL="$CALLERID_LOCALE" "$CALLERID_WINESERVER" "$@"
}

# Drive Z: is the Unix root in every Wine prefix; cheaper than asking winepath.
callerid_windows_path() {
  printf 'Z:%s' "$(realpath -m "$1" | tr / '\\')"
}
