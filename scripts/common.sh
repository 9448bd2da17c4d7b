# Shared settings for the scripts that build, run and test under Wine. Sourced, not run, after
# the caller has set CALLERID_ROOT to the repository. POSIX sh, because wine-run.sh is sh: it
# runs with LC_ALL=tr_TR.UTF-8 in its environment, a locale glibc does not have, and bash would
# print a warning about that into every test's output.
# Every Wine process of this project (tests, `make run`, prefix creation) must see the same
# prefix and environment, otherwise a long-lived wineserver would mix two configurations.

CALLERID_BUILD="$CALLERID_ROOT/build"

export WINEPREFIX="$CALLERID_BUILD/wineprefix"
# Only 32-bit Wine is installed (wine32:i386); a win32 prefix avoids any 64-bit loader lookup.
export WINEARCH=win32
export WINEDEBUG="${CALLERID_WINEDEBUG:--all}"
# Without these overrides the first start offers to download Mono and Gecko, a dialog that
# nobody can answer under Xvfb.
export WINEDLLOVERRIDES="mscoree,mshtml="

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
  LC_ALL="$CALLERID_LOCALE" wine "$@"
}

callerid_wineserver() {
  LC_ALL="$CALLERID_LOCALE" wineserver "$@"
}

# Drive Z: is the Unix root in every Wine prefix; cheaper than asking winepath.
callerid_windows_path() {
  printf 'Z:%s' "$(realpath -m "$1" | tr / '\\')"
}
