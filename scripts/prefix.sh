#!/usr/bin/env bash
# Creates the project's Wine prefix (build/<flavour>/wineprefix, or CALLERID_WINEPREFIX) once and registers the
# simulated caller-ID device control in it. Creation takes about 15 s; later runs only
# re-register the control, which keeps its registration pointing at the freshly built DLL.
set -euo pipefail
CALLERID_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$CALLERID_ROOT/scripts/common.sh"

# Bump when the way the prefix is prepared changes, so existing build folders redo it.
prefix_version=5
stamp="$WINEPREFIX/.callerid-prefix-ready"
mkdir -p "$CALLERID_BUILD"

# Tests started in parallel may all find the prefix missing; only one may create it.
exec 9>"$CALLERID_BUILD/wineprefix.lock"
flock 9

ran_wine=0
if [ "$(cat "$stamp" 2>/dev/null)" != "$prefix_version" ]; then
  echo "prefix: creating Wine prefix $WINEPREFIX"
  if [ -d "$WINEPREFIX" ]; then
    callerid_wineserver -k >/dev/null 2>&1 || true
    rm -rf "$WINEPREFIX"
  fi
  callerid_wine wineboot -i
  # Debian's Wine 8 does not look in its own font folder (fonts-wine, /usr/share/wine/fonts),
  # so without this windows get no Marlett (caption buttons drawn as "0 1 r"), no Tahoma and no
  # System/MS Sans Serif bitmap fonts. Wine does read the prefix's Fonts folder at every start.
  ln -sf /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/"
  # The main window's labels use Arial, Arial Narrow and Verdana, which Wine does not have; its
  # fallback is wider, so "Çağrı sayısı : " ran into the counter beside it. Metric-compatible
  # free fonts take their place.
  ln -sf /usr/share/fonts/truetype/liberation/LiberationSans*.ttf \
    /usr/share/fonts/truetype/dejavu/DejaVuSans.ttf /usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf \
    "$WINEPREFIX/drive_c/windows/Fonts/"
  fonts_key='HKCU\Software\Wine\Fonts\Replacements'
  callerid_wine reg add "$fonts_key" /v "Arial" /d "Liberation Sans" /f >/dev/null
  callerid_wine reg add "$fonts_key" /v "Arial Narrow" /d "Liberation Sans Narrow" /f >/dev/null
  callerid_wine reg add "$fonts_key" /v "Verdana" /d "DejaVu Sans" /f >/dev/null
  # Every program of this prefix opens inside one Wine desktop of a fixed size, whatever the
  # X display: tests see the same screen everywhere; without an X window manager (Xvfb) Wine
  # otherwise waits 2 s on every window it hides or destroys for a WM answer that never comes;
  # and the desktop's taskbar gives the program a notification area for its tray icon.
  explorer_key='HKCU\Software\Wine\Explorer'
  callerid_wine reg add "$explorer_key" /v Desktop /d "$CALLERID_DESKTOP_NAME" /f >/dev/null
  callerid_wine reg add "$explorer_key\\Desktops" /v "$CALLERID_DESKTOP_NAME" \
    /d "$CALLERID_DESKTOP_SIZE" /f >/dev/null
  # Wine shows the taskbar only on desktops where the shell is enabled.
  callerid_wine reg add "$explorer_key\\Desktops\\$CALLERID_DESKTOP_NAME" /v EnableShell \
    /t REG_DWORD /d 1 /f >/dev/null
  ran_wine=1
  echo "$prefix_version" >"$stamp"
fi

# --- Simulated device control registration -------------------------------------------------
# device/simulator builds an in-process COM server that stands in for the vendor's control.
# Register every DLL found there through its DllRegisterServer, which writes the class under
# the current user (and machine-wide too where COM does not see per-user classes, as in Wine).
# Cheap, so done on every run.
# CALLERID_PREFIX_SIMULATOR=0 leaves it out, for a prefix that must start as a user's PC does.
shopt -s nullglob
simulators=("$CALLERID_BUILD"/device/simulator/*.dll)
[ "${CALLERID_PREFIX_SIMULATOR:-1}" = 0 ] && simulators=()
for dll in "${simulators[@]}"; do
  echo "prefix: registering $(basename "$dll")"
  if ! callerid_wine regsvr32 /s "$(callerid_windows_path "$dll")"; then
    echo "prefix: regsvr32 failed for $dll" >&2
    exit 1
  fi
  ran_wine=1
done
shopt -u nullglob
# ---------------------------------------------------------------------------------------------

# Let the wineserver we started write the registry and exit, so that the next Wine process
# starts a fresh one with its own environment (DISPLAY, locale) instead of inheriting ours.
if [ "$ran_wine" = 1 ]; then
  callerid_wineserver -w
fi
