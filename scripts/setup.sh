#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and `make run` need for the flavour that
# this machine runs (CALLERID_FLAVOUR, see flavour.sh). Safe to run again: it only touches apt
# when something is missing.
#   win32: the i686 compilers and 32-bit Wine.
#   win64: the x86_64 compilers and 64-bit Wine, and the i686 compilers as well, because the
#          shipped 32-bit flavour is still compiled on such a machine.
set -euo pipefail
CALLERID_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
flavour="${CALLERID_FLAVOUR:-$("$CALLERID_ROOT/scripts/flavour.sh")}"

packages=(
  g++-mingw-w64-i686-posix binutils-mingw-w64-i686 mingw-w64-i686-dev
  cmake make dpkg-dev
  # Wine's own fonts (Marlett draws the caption buttons, Tahoma is the dialog font) are not
  # pulled in without recommends.
  fonts-wine
  # Metric-compatible stand-ins for the fonts the windows name (Arial, Arial Narrow, Verdana).
  fonts-liberation fonts-dejavu-core
  xvfb xauth xdotool imagemagick x11-utils
  googletest
  # `make dist`: the installer (makensis), the portable archive, and reading both back.
  nsis zip p7zip-full
  # The end-to-end tests read the shell's balloon title off the screen: Wine's tooltips do not
  # answer TTM_GETTITLE.
  tesseract-ocr tesseract-ocr-tur
)
# Installed without recommends, Wine lacks the X extensions its display driver uses for
# anti-aliased text and alpha blending (Xrender), colour cursors (Xcursor), screen size
# (Xrandr, Xinerama), raw mouse input (XInput2) and window shapes (Xfixes, Xcomposite); they
# must match Wine's own architecture.
x_extensions=(libxrender1 libxcursor1 libxrandr2 libxinerama1 libxi6 libxfixes3 libxcomposite1)
case "$flavour" in
  win32)
    packages+=(wine wine32:i386 "${x_extensions[@]/%/:i386}")
    ;;
  win64)
    packages+=(g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 mingw-w64-x86-64-dev
      wine64 "${x_extensions[@]}")
    ;;
  *)
    echo "setup: unknown flavour '$flavour'" >&2
    exit 2
    ;;
esac

need_update=0
if [ "$flavour" = win32 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
  need_update=1
fi

# `apt-get source` needs a deb-src entry for the libjpeg-turbo sources.
if ! grep -rqs 'deb-src' /etc/apt/sources.list /etc/apt/sources.list.d/; then
  cat > /etc/apt/sources.list.d/callerid-src.sources <<'SRC'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
  need_update=1
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ "${#missing[@]}" -gt 0 ] || [ "$need_update" = 1 ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q
  if [ "${#missing[@]}" -gt 0 ]; then
    echo "setup: installing ${missing[*]}"
    apt-get install -y -q --no-install-recommends "${missing[@]}"
  fi
fi
