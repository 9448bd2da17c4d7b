#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and `make run` need. Safe to run again:
# it only touches apt when something is missing.
set -euo pipefail

packages=(
  g++-mingw-w64-i686-posix binutils-mingw-w64-i686 mingw-w64-i686-dev
  cmake make dpkg-dev
  wine wine32:i386
  # Installed without recommends, Wine lacks these: its own fonts (Marlett draws the caption
  # buttons, Tahoma is the dialog font) and the X extensions its display driver uses for
  # anti-aliased text and alpha blending (Xrender), colour cursors (Xcursor), screen size
  # (Xrandr, Xinerama), raw mouse input (XInput2) and window shapes (Xfixes, Xcomposite).
  fonts-wine libxrender1:i386 libxcursor1:i386 libxrandr2:i386 libxinerama1:i386
  libxi6:i386 libxfixes3:i386 libxcomposite1:i386
  # Metric-compatible stand-ins for the fonts the windows name (Arial, Arial Narrow, Verdana).
  fonts-liberation fonts-dejavu-core
  xvfb xauth xdotool imagemagick x11-utils
  googletest
)

need_update=0
if ! dpkg --print-foreign-architectures | grep -qx i386; then
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
