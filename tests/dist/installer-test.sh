#!/usr/bin/env bash
# The installer under Wine, in a fresh prefix of this run, as a user's PC would see it:
#   1. silent install (/S): files, shortcut, the entry among installed programs; the installed
#      program starts, shows "Cihaz Test", ends cleanly and carries the version; a silent
#      install while it runs stops and leaves it running;
#   2. the same installer again with the simulated device (/S /SIMULATOR), an upgrade in place:
#      the class is registered to the installed DLL and a scripted call arrives;
#   3. silent uninstall: the file tree and the registry are as before step 1;
#   4. with the device control's class registered to another DLL, install with the simulated
#      device: the component is refused (exit code 4), the registration stands; uninstall
#      again leaves everything as before step 4;
#   5. an older version with the simulated device (the same files, packed as version 0.0.1),
#      then this one over it without asking for the device: one installation of this version,
#      which keeps the simulated device; uninstall leaves everything as before step 5.
# Every difference is listed. The installer is 32-bit: where this machine cannot run 32-bit
# programs (the probe of scripts/flavour.sh), the test says so and is skipped (exit 77); the
# build still makes the installer and checks its content list (dist_contents).
#   tests/dist/installer-test.sh            the shipped installer, build/dist, from build/win32
#   tests/dist/installer-test.sh win64      the 64-bit check build of scripts/dist.sh win64
set -uo pipefail
CALLERID_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
flavour="${1:-win32}"
skip=77

if [ "$flavour" = win32 ]; then
  if ! "$CALLERID_ROOT/scripts/flavour.sh" --can-run-32bit; then
    echo "installer-test: SKIPPED: this machine cannot run 32-bit programs (the i386 probe of" \
      "scripts/flavour.sh fails), so the 32-bit installer and program cannot run under Wine here." \
      "The installer was built and its content list checked (dist_contents)."
    exit "$skip"
  fi
  if ! command -v wine >/dev/null || ! dpkg-query -W -f='${Status}' wine32:i386 2>/dev/null | grep -q 'ok installed'; then
    echo "installer-test: SKIPPED: 32-bit Wine (wine32:i386) is not installed; scripts/setup.sh installs it on a win32 machine."
    exit "$skip"
  fi
fi

CALLERID_FLAVOUR="$flavour"
run_dir="$CALLERID_ROOT/build/$flavour/installer-test"
export CALLERID_WINEPREFIX="$run_dir/wineprefix"
# Wine's menu builder would turn the Start-menu shortcut into a launcher in the host user's
# desktop menus, outside the prefix and out of the uninstaller's reach; a PC has no such thing.
export CALLERID_WINEDLLOVERRIDES="winemenubuilder.exe=d"
source "$CALLERID_ROOT/scripts/common.sh"
case "$flavour" in
  win32) dist="$CALLERID_ROOT/build/dist" ;;
  *) dist="$CALLERID_ROOT/build/dist-$flavour" ;;
esac
version="$(tr -d ' \t\r\n' <"$CALLERID_ROOT/VERSION")"
setup="$dist/CallerIdTest-$version-setup.exe"
checks="$CALLERID_BUILD/tests/dist/dist_installed_checks.exe"
clsid='{EEA18052-171F-4293-8598-AB6E1D7257B2}'
failures=0

fail() {
  echo "installer-test: FAILED: $*" >&2
  failures=$((failures + 1))
}
step() { echo "installer-test: --- $*"; }

[ -f "$setup" ] || { echo "installer-test: $setup is missing: run scripts/dist.sh $flavour" >&2; exit 1; }
cmake --build "$CALLERID_BUILD" -j"${JOBS:-2}" --target dist_installed_checks >/dev/null ||
  { echo "installer-test: cannot build dist_installed_checks" >&2; exit 1; }

# --- a fresh prefix, without the simulator the project's own prefix registers ------------------
step "fresh Wine prefix $WINEPREFIX"
callerid_wineserver -k >/dev/null 2>&1
rm -rf "$run_dir"
mkdir -p "$run_dir"
CALLERID_PREFIX_SIMULATOR=0 "$CALLERID_ROOT/scripts/prefix.sh" >/dev/null || { echo "installer-test: prefix.sh failed" >&2; exit 1; }
trap 'callerid_wineserver -k >/dev/null 2>&1' EXIT

# Runs a Windows program in the test prefix and waits until every process it started (an
# uninstaller runs a copy of itself from the temporary folder) has ended. Returns its exit code.
run_windows() {
  local status=0
  "$CALLERID_ROOT/scripts/wine-run.sh" "$@" || status=$?
  callerid_wineserver -w
  return "$status"
}

# --- snapshots: the file tree of drive C: and the registry, without what Wine itself changes ---
# Wine keeps the registry in these three files (written out when the server stops): one line a
# value under a "[key] timestamp" line. A snapshot holds "key<TAB>value" lines, sorted.
registry_snapshot() {
  local f
  for f in system.reg user.reg userdef.reg; do
    awk -v hive="$f" '
      /^\[/      { key = $0; sub(/\] [0-9]+$/, "]", key); print hive "\t" key; next }
      /^#/ || /^$/ || /^WINE REGISTRY/ { next }
      /^;/       { next }
                 { print hive "\t" key "\t" $0 }' "$WINEPREFIX/$f"
  done | grep -v -E "$(volatile_registry)" | sort
}
# Keys Wine rewrites on every start or on every program run, whatever the program does.
volatile_registry() {
  printf '%s|' \
    '\\\\DynData' '\\\\PerfLib' 'HARDWARE\\\\' 'Volatile Environment' \
    'Software\\\\Wine\\\\Wine\\\\Config' 'MountedDevices' 'Explorer\\\\RunMRU' \
    'Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Explorer\\\\(Shell Folders|User Shell Folders)' \
    'System\\\\CurrentControlSet\\\\Control\\\\(Session Manager|ComputerName|Print)' \
    'Software\\\\Microsoft\\\\Cryptography\\\\RNG' 'CurrentVersion\\\\Fonts' 'NetworkCards' \
    'CurrentControlSet\\\\Control\\\\Class\\\\' 'CurrentControlSet\\\\Enum\\\\' \
    'Control Panel\\\\Desktop' 'Software\\\\Wine\\\\Fonts' 'Software\\\\Wine\\\\X11 Driver'
  printf '%s' 'System\\\\CurrentControlSet\\\\Services\\\\(Winsock|Tcpip|EventLog)'
}
files_snapshot() {
  (cd "$WINEPREFIX/drive_c" && find . -path ./windows -prune -o -path './users/*/AppData/Local/Temp' -prune \
    -o -path './users/*/Temp' -prune -o \( -type f -o -type l \) -printf '%p\t%s\n' | sort)
}
snapshot() {
  callerid_wineserver -w
  registry_snapshot >"$run_dir/$1.reg"
  files_snapshot >"$run_dir/$1.files"
}
# Lists every difference between two snapshots; fails when there is one.
expect_same() {
  local before="$1" after="$2" what
  for what in files reg; do
    if ! diff -u "$run_dir/$before.$what" "$run_dir/$after.$what" >"$run_dir/$after.$what.diff"; then
      fail "$( [ "$what" = reg ] && echo registry || echo 'file tree') after '$after' differs from '$before' (- before, + after):"
      grep -E '^[-+][^-+]' "$run_dir/$after.$what.diff" | sed 's/^/    /' >&2
    fi
  done
}

reg_value() {
  callerid_wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | awk -v name="$2" '$1 == name { $1 = ""; $2 = ""; sub(/^  /, ""); print }'
}
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\CallerIdTest'
start_menu="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Caller ID Test.lnk"

# Runs the named checks of dist_installed_checks.exe in the prefix.
installed_checks() {
  CALLERID_INSTALL_DIR="$install_dir" CALLERID_SETUP="$(callerid_windows_path "$setup")" \
    CALLERID_VERSION="$version" CALLERID_FOREIGN_DLL="${foreign_dll:-}" \
    run_windows "$checks" --gtest_filter="$1" || fail "checks $1 (output above)"
}

install_dir=""
check_installed() {
  install_dir="$(reg_value "$uninstall_key" InstallLocation)"
  [ -n "$install_dir" ] || { fail "no entry among the installed programs ($uninstall_key)"; return; }
  local name expected actual
  for name in DisplayName:"Caller ID Test" DisplayVersion:"$version" Publisher:"Caller ID Test" \
    UninstallString:"\"$install_dir\\uninstall.exe\""; do
    expected="${name#*:}" name="${name%%:*}"
    actual="$(reg_value "$uninstall_key" "$name")"
    [ "$actual" = "$expected" ] || fail "uninstall entry $name is '$actual', not '$expected'"
  done
  [ -n "$(reg_value "$uninstall_key" EstimatedSize)" ] || fail "uninstall entry has no EstimatedSize"
  [ -f "$start_menu" ] || fail "no Start-menu shortcut at $start_menu"
  local unix_dir
  unix_dir="$(callerid_wine winepath -u "$install_dir" 2>/dev/null | tr -d '\r')"
  for name in CallerIdTest.exe LICENSE-libjpeg.txt uninstall.exe; do
    [ -f "$unix_dir/$name" ] || fail "$name is not in $install_dir"
  done
}

# The program's day-by-day logs are the user's data, which the uninstaller leaves. After a run
# that logged something (the first run, without a device control, logs why) they must still be
# there; they are then removed here, so that the
# comparison of snapshots that follows sees only what the installer did. With `optional` a run
# that logged nothing is fine too.
logs_kept() {
  local logs
  logs="$(find "$WINEPREFIX/drive_c/users" -path '*/AppData/Local/Caller ID Test/Logs' -type d 2>/dev/null | head -n1)"
  if [ -z "$logs" ] || [ -z "$(find "$logs" -name '*.csv' 2>/dev/null)" ]; then
    [ "${2:-}" = optional ] || fail "after '$1' the program's logs are gone (the uninstaller must leave them)"
    return 0
  fi
  rm -rf "$(dirname "$logs")"
}

# Runs the installer or the uninstaller and checks its exit code.
expect_exit() {
  local expected="$1" status=0
  shift
  run_windows "$@" || status=$?
  [ "$status" = "$expected" ] || fail "$(basename "$1") ${*:2} ended with $status, not $expected"
}

# --- 1. silent install -------------------------------------------------------------------------
snapshot before-install
step "silent install"
expect_exit 0 "$setup" /S
check_installed
installed_checks 'Installed.TheProgramStartsShowsItsWindowAndEndsCleanly:Installed.ASilentInstallStopsWhileTheProgramRuns'

# --- 2. again with the simulated device: an upgrade in place -----------------------------------
step "silent install with the simulated device over the installed copy"
expect_exit 0 "$setup" /S /SIMULATOR
check_installed
installed_checks 'Installed.TheSimulatedDeviceIsRegisteredAndAScriptedCallArrives'

# --- 3. silent uninstall -----------------------------------------------------------------------
step "silent uninstall"
expect_exit 0 "$(callerid_wine winepath -u "$install_dir" | tr -d '\r')/uninstall.exe" /S
logs_kept "silent uninstall"
snapshot after-uninstall
expect_same before-install after-uninstall

# --- 4. the class belongs to another DLL -------------------------------------------------------
step "install with the simulated device while the class is registered to another DLL"
foreign_dll='C:\Vendor\dalvexcallerid.ocx'
callerid_wine reg add "HKLM\\Software\\Classes\\CLSID\\$clsid\\InprocServer32" /ve /d "$foreign_dll" /f >/dev/null
snapshot before-foreign
expect_exit 4 "$setup" /S /SIMULATOR
check_installed
installed_checks 'Installed.AForeignRegistrationOfTheClassIsLeftAlone'
expect_exit 0 "$(callerid_wine winepath -u "$install_dir" | tr -d '\r')/uninstall.exe" /S
logs_kept "uninstall after a foreign registration" optional
snapshot after-foreign-uninstall
expect_same before-foreign after-foreign-uninstall

# --- 5. upgrade from an older version -----------------------------------------------------------
step "silent install of an older version, then of this one over it"
old_setup="$run_dir/CallerIdTest-0.0.1-setup.exe"
case "$flavour" in win32) arch=x86 ;; *) arch=amd64 ;; esac
makensis -V2 -WX -INPUTCHARSET UTF8 -DVERSION=0.0.1 "-DSTAGE=$dist/stage" "-DOUTFILE=$old_setup" "-DARCH=$arch" \
  "$CALLERID_ROOT/dist/CallerIdTest.nsi" || fail "cannot build the older installer"
foreign_dll=''
callerid_wine reg delete "HKLM\\Software\\Classes\\CLSID\\$clsid" /f >/dev/null
snapshot before-upgrade
expect_exit 0 "$old_setup" /S /SIMULATOR
[ "$(reg_value "$uninstall_key" DisplayVersion)" = 0.0.1 ] || fail "the older version did not install"
old_dir="$(reg_value "$uninstall_key" InstallLocation)"
expect_exit 0 "$setup" /S
check_installed
[ "$install_dir" = "$old_dir" ] || fail "the upgrade went to $install_dir, not to the installed $old_dir"
installed_checks 'Installed.TheSimulatedDeviceIsRegisteredAndAScriptedCallArrives'
expect_exit 0 "$(callerid_wine winepath -u "$install_dir" | tr -d '\r')/uninstall.exe" /S
logs_kept "uninstall after an upgrade" optional
snapshot after-upgrade-uninstall
expect_same before-upgrade after-upgrade-uninstall

if [ "$failures" -gt 0 ]; then
  echo "installer-test: $failures failure(s); snapshots and differences are in $run_dir" >&2
  exit 1
fi
echo "installer-test: passed (installer $(stat -c %s "$setup") bytes)"
