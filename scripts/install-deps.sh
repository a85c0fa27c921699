#!/usr/bin/env bash
# Installs what building, running and testing need on Debian 12 (skips what is there).
#   scripts/install-deps.sh [--reproduce]    (--reproduce: also what scripts/reproduce.sh needs)
set -euo pipefail
packages=(
  g++ cmake ninja-build pkg-config
  qt6-base-dev qt6-serialport-dev libgl-dev libjpeg62-turbo-dev libxcb1-dev
  clang-14 libclang-rt-14-dev
  xvfb xauth xdotool imagemagick
  at-spi2-core python3-pyatspi dbus-daemon
  util-linux
  python3
  ser2net python3-serial
  desktop-file-utils appstream shared-mime-info xdg-utils libfile-mimeinfo-perl
  qt6-translations-l10n qt6-l10n-tools qt6-wayland weston
  dpkg-dev file help2man lintian
  fonts-liberation2 fonts-dejavu-core
  poppler-utils
  libqt6sql6-sqlite libqt6sql6-psql
  postgresql-15
  osslsigncode openssl
)
if [ "${1:-}" = --reproduce ]; then
  packages+=(diffoscope-minimal ccache)
fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
fi
