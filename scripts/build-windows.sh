#!/usr/bin/env bash
# Builds the Windows programs on Debian 12: installs the cross tools, builds Qt and libjpeg
# for Windows once into a cache outside the work tree, then tavrix-configurator.exe and
# tavrix-cli.exe with the project's CMake files, and packs dist/ (portable zip, installer).
#
#   scripts/build-windows.sh [deps|qt|jpeg|app|dist|all]    (default: all)
#
# TAVRIX_CACHE (default ~/.cache/tavrix) holds the third-party builds, keyed by their inputs.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
stage=${1:-all}
jobs=$(nproc)
cache=${TAVRIX_CACHE:-$HOME/.cache/tavrix}
toolchain=$root/cmake/mingw-w64-x86_64.cmake
build=$root/build-win
dist=$root/dist
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"

say() { printf '== %s: %s\n' "$(date +%T)" "$*" >&2; }
timed() { local t0=$SECONDS; "$@"; say "$1 took $((SECONDS - t0)) s"; }

qt_options=(
  -release -shared -xplatform win32-g++ -qt-host-path /usr
  -nomake examples -nomake tests -no-opengl
  -qt-zlib -qt-libpng -qt-libjpeg -qt-pcre -qt-freetype -qt-harfbuzz
  -no-feature-sql -no-feature-network -no-feature-dbus -no-feature-printsupport
  -no-feature-concurrent -no-feature-vulkan -no-feature-tabletevent -no-feature-xml
  -no-feature-testlib
)

deps() {
  local packages=(
    g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix mingw-w64-tools binutils-mingw-w64-x86-64
    cmake ninja-build dpkg-dev qt6-base-dev qt6-base-dev-tools qt6-tools-dev-tools
    qt6-translations-l10n nsis zip unzip wine wine64 xvfb xauth xdotool imagemagick
  )
  local missing=() p
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  # Qt's and libjpeg's sources come from the same archive as the machine's packages.
  local src=/etc/apt/sources.list.d/tavrix-deb-src.sources
  local need_update=0
  if [ ! -f "$src" ]; then
    sed -e 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources | $sudo tee "$src" >/dev/null
    need_update=1
  fi
  if ((${#missing[@]})) || ((need_update)); then
    $sudo apt-get update
  fi
  if ((${#missing[@]})); then
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
  fi
}

# A cache folder's name carries a hash of what went into it, so a change rebuilds it.
key() { printf '%s\n' "$@" | sha256sum | cut -c1-12; }

qt_dir() {
  local version
  version=$(dpkg-query -W -f='${Version}' qt6-base-dev)
  echo "$cache/qtbase-$version-win64-$(key "$version" "${qt_options[@]}" "$(cat "$toolchain")")"
}

qt() {
  local prefix; prefix=$(qt_dir)
  if [ -f "$prefix/.complete" ]; then say "Qt for Windows cached in $prefix"; return; fi
  local work=$cache/work/qtbase
  rm -rf "$work" "$prefix"; mkdir -p "$work"
  (cd "$work" && apt-get source --download-only qt6-base >/dev/null && dpkg-source -x --skip-patches qt6-base_*.dsc src >/dev/null)
  mkdir -p "$work/build"
  (cd "$work/build" && "$work/src/configure" -prefix "$prefix" "${qt_options[@]}" -- \
      -G Ninja -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
      -DCMAKE_TOOLCHAIN_FILE="$toolchain" >"$work/configure.log" 2>&1) \
    || { tail -40 "$work/configure.log"; exit 1; }
  cmake --build "$work/build" -j "$jobs" >"$work/build.log" 2>&1 || { tail -40 "$work/build.log"; exit 1; }
  cmake --install "$work/build" >/dev/null
  touch "$prefix/.complete"
  rm -rf "$work"
}

jpeg_dir() {
  local version
  version=$(dpkg-query -W -f='${Version}' libjpeg62-turbo-dev 2>/dev/null || apt-cache policy libjpeg62-turbo-dev | awk '/Candidate/{print $2}')
  echo "$cache/libjpeg-turbo-$version-win64-$(key "$version" "$(cat "$toolchain")")"
}

jpeg() {
  local prefix; prefix=$(jpeg_dir)
  if [ -f "$prefix/.complete" ]; then say "libjpeg for Windows cached in $prefix"; return; fi
  local work=$cache/work/libjpeg
  rm -rf "$work" "$prefix"; mkdir -p "$work"
  (cd "$work" && apt-get source --download-only libjpeg-turbo >/dev/null && dpkg-source -x libjpeg-turbo_*.dsc src >/dev/null)
  cmake -S "$work/src" -B "$work/build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" -DENABLE_SHARED=OFF \
    -DENABLE_STATIC=ON -DWITH_SIMD=OFF -DWITH_TURBOJPEG=OFF >"$work/configure.log" 2>&1 \
    || { tail -40 "$work/configure.log"; exit 1; }
  cmake --build "$work/build" -j "$jobs" >"$work/build.log" 2>&1 || { tail -40 "$work/build.log"; exit 1; }
  cmake --install "$work/build" >/dev/null
  touch "$prefix/.complete"
  rm -rf "$work"
}

app() {
  local qt jpeg; qt=$(qt_dir); jpeg=$(jpeg_dir)
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_PREFIX_PATH="$qt;$jpeg" -DQT_HOST_PATH=/usr \
    -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DJPEG_ROOT="$jpeg"
  cmake --build "$build" -j "$jobs" --target tavrix-configurator tavrix-cli
}

case $stage in
  deps) timed deps ;;
  qt) timed qt ;;
  jpeg) timed jpeg ;;
  app) timed app ;;
  all) timed deps; timed qt; timed jpeg; timed app ;;
  *) echo "usage: $0 [deps|qt|jpeg|app|all]" >&2; exit 2 ;;
esac
