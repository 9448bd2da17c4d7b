#!/usr/bin/env bash
# Builds what Windows users get, from the shipped 32-bit flavour: the installer
# build/dist/CallerIdTest-<version>-setup.exe (NSIS, dist/CallerIdTest.nsi) and the portable
# archive build/dist/CallerIdTest-<version>.zip, then checks both content lists
# (scripts/dist-contents.sh). The version is the VERSION file's.
#   scripts/dist.sh            the shipped packages, from build/win32
#   scripts/dist.sh win64      a 64-bit installer into build/dist-win64, only for trying the
#                              installer under 64-bit Wine on machines that cannot run 32-bit
#                              programs; never shipped (the vendor's control is 32-bit)
# Builds only what it packs (libjpeg, CallerIdTest, DalvexSim) and only what changed.
set -euo pipefail
CALLERID_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
CALLERID_FLAVOUR="${1:-win32}"
source "$CALLERID_ROOT/scripts/common.sh"

case "$CALLERID_FLAVOUR" in
  win32) arch=x86 out="$CALLERID_ROOT/build/dist" ;;
  win64) arch=amd64 out="$CALLERID_ROOT/build/dist-win64" ;;
  *) echo "dist: flavour must be win32 or win64, not '$CALLERID_FLAVOUR'" >&2; exit 2 ;;
esac
version="$(tr -d ' \t\r\n' <"$CALLERID_ROOT/VERSION")"
[[ "$version" =~ ^[0-9]+\.[0-9]+\.[0-9]+$ ]] || { echo "dist: VERSION must hold MAJOR.MINOR.PATCH, not '$version'" >&2; exit 1; }

# --- build the two files that ship ------------------------------------------------------------
"$CALLERID_ROOT/scripts/build-deps.sh" "$CALLERID_FLAVOUR"
if [ ! -f "$CALLERID_BUILD/Makefile" ]; then
  cmake -S "$CALLERID_ROOT" -B "$CALLERID_BUILD" -G "Unix Makefiles" \
    -DCMAKE_TOOLCHAIN_FILE="$CALLERID_TOOLCHAIN" -DCMAKE_BUILD_TYPE=Release
fi
cmake --build "$CALLERID_BUILD" -j"${JOBS:-2}" --target CallerIdTest DalvexSim

# --- stage ------------------------------------------------------------------------------------
stage="$out/stage"
rm -rf "$stage"
mkdir -p "$stage"
cp "$CALLERID_BUILD/app/CallerIdTest.exe" "$CALLERID_BUILD/device/simulator/DalvexSim.dll" "$stage/"
# Windows text files: CRLF line ends, so that every editor shows them as written.
sed 's/$/\r/' "$CALLERID_ROOT/dist/Simulator.txt" >"$stage/Simulator.txt"
# The program links libjpeg statically; its licence asks that the notice travel with it.
jpeg_doc="$CALLERID_BUILD/deps/jpeg/share/doc/libjpeg-turbo"
{
  echo "CallerIdTest.exe contains $(cat "$CALLERID_BUILD/deps/jpeg.stamp"), linked statically."
  echo "This software is based in part on the work of the Independent JPEG Group."
  echo
  cat "$jpeg_doc/LICENSE.md"
  echo
  echo "----------------------------------------------------------------------------------------"
  echo
  cat "$jpeg_doc/README.ijg"
} | sed 's/$/\r/' >"$stage/LICENSE-libjpeg.txt"

# --- installer --------------------------------------------------------------------------------
setup="$out/CallerIdTest-$version-setup.exe"
makensis -V2 -WX -INPUTCHARSET UTF8 \
  "-DVERSION=$version" "-DSTAGE=$stage" "-DOUTFILE=$setup" "-DARCH=$arch" \
  "$CALLERID_ROOT/dist/CallerIdTest.nsi"

# --- portable archive: one folder named after the version, so unpacking never mixes versions --
archive="$out/CallerIdTest-$version.zip"
folder="CallerIdTest-$version"
rm -rf "$out/zip" "$archive"
mkdir -p "$out/zip/$folder"
cp "$stage/CallerIdTest.exe" "$stage/DalvexSim.dll" "$stage/Simulator.txt" "$stage/LICENSE-libjpeg.txt" \
  "$out/zip/$folder/"
(cd "$out/zip" && zip -q -X -r "$archive" "$folder")
rm -rf "$out/zip"

# The content check knows the shipped 32-bit packages; a 64-bit check build is only listed.
if [ "$CALLERID_FLAVOUR" = win32 ]; then
  "$CALLERID_ROOT/scripts/dist-contents.sh" "$setup" "$archive" "$version"
fi
echo "dist: $setup ($(stat -c %s "$setup") bytes)"
echo "dist: $archive ($(stat -c %s "$archive") bytes)"
