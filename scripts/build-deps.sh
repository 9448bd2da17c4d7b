#!/usr/bin/env bash
# Cross-builds libjpeg (from Debian's libjpeg-turbo source package) as a static Windows library
# of one flavour into build/<flavour>/deps/jpeg. Done once per build folder: a stamp records a
# finished install.
#   scripts/build-deps.sh [win32|win64]      (default: this machine's flavour)
set -euo pipefail
CALLERID_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
if [ "$#" -gt 0 ]; then
  CALLERID_FLAVOUR="$1"
fi
source "$CALLERID_ROOT/scripts/common.sh"

deps="$CALLERID_BUILD/deps"
prefix="$deps/jpeg"
stamp="$deps/jpeg.stamp"

if [ -f "$stamp" ] && [ -f "$prefix/lib/libjpeg.a" ] && [ -f "$prefix/include/jpeglib.h" ]; then
  exit 0
fi

echo "build-deps: building libjpeg for $CALLERID_FLAVOUR into $prefix"
rm -rf "$deps/src" "$deps/jpeg-build" "$prefix" "$stamp"
mkdir -p "$deps/src"

fetch_source() {
  (cd "$deps/src" && apt-get source -q libjpeg-turbo)
}
# The deb-src index may be missing if sources were added without an update (or lists were
# cleaned); one update is enough to fix that.
if ! fetch_source >"$deps/src/apt-source.log" 2>&1; then
  echo "build-deps: apt-get source failed, updating package lists and retrying"
  apt-get update -q
  rm -rf "$deps/src" && mkdir -p "$deps/src"
  fetch_source
fi

src="$(find "$deps/src" -mindepth 1 -maxdepth 1 -type d -name 'libjpeg-turbo-*' | head -n1)"
[ -n "$src" ] || { echo "build-deps: no libjpeg-turbo source tree in $deps/src" >&2; exit 1; }

# libjpeg-turbo resolves relative install dirs against the working directory, hence full paths.
# SIMD needs nasm and brings nothing to a small desktop tool; TurboJPEG and the DLL are unused.
cmake -S "$src" -B "$deps/jpeg-build" \
  -DCMAKE_TOOLCHAIN_FILE="$CALLERID_TOOLCHAIN" \
  -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_INSTALL_PREFIX="$prefix" \
  -DCMAKE_INSTALL_LIBDIR="$prefix/lib" \
  -DCMAKE_INSTALL_INCLUDEDIR="$prefix/include" \
  -DWITH_SIMD=OFF -DENABLE_SHARED=OFF -DWITH_TURBOJPEG=OFF \
  >"$deps/jpeg-configure.log"
cmake --build "$deps/jpeg-build" -j2 >"$deps/jpeg-build.log"
cmake --install "$deps/jpeg-build" >"$deps/jpeg-install.log"

[ -f "$prefix/lib/libjpeg.a" ] || { echo "build-deps: libjpeg.a was not installed" >&2; exit 1; }
basename "$src" >"$stamp"
echo "build-deps: libjpeg ready ($(cat "$stamp"))"
