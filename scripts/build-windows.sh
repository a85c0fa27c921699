#!/usr/bin/env bash
# Builds the Windows programs on Debian 12: installs the cross tools, builds SQLite, Qt and
# libjpeg for Windows once into a cache outside the work tree, then tavrix-configurator.exe
# and tavrix-cli.exe with the project's CMake files, and packs dist/ (portable zip, installer).
#
#   scripts/build-windows.sh [deps|sqlite|qt|jpeg|app|dist|sign|all]    (default: all)
#
# TAVRIX_CACHE (default ~/.cache/tavrix) holds the third-party builds, keyed by their inputs.
# TAVRIX_QT_WIN names a Qt for Windows prefix to use instead of the cached one (one built
#   with other options, while the cache's is being rebuilt).
# TAVRIX_COMMIT names the commit the programs say they come from (default: git's HEAD).
# SOURCE_DATE_EPOCH (default: the last commit's time) is every time in the zip and the
#   installer: the same commit gives the same bytes (scripts/reproduce.sh checks it).
# TAVRIX_SIGN_PFX, a PKCS#12 file with a code signing certificate and its key, signs every
#   .exe and .dll, the uninstaller and the installer (Authenticode, osslsigncode); its
#   password is the first line of TAVRIX_SIGN_PASS_FILE; TAVRIX_SIGN_TSA, an RFC 3161 time
#   stamping server's address, timestamps the signatures. "sign" is dist with signing, and
#   fails without a certificate; dist and all sign when TAVRIX_SIGN_PFX is set.
# dist/ gets the zip, the installer and SHA256SUMS of both.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct 2>/dev/null || echo 0)}
# Listing files, sorting and the zip's DOS times go the same way on every machine; the
# tools' own words (objdump's "DLL Name:", which staging reads) stay English even when
# LANGUAGE asks for another, which it does over LC_ALL.
export LC_ALL=C.UTF-8 TZ=UTC
unset LANGUAGE
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
  -no-feature-dbus -no-feature-printsupport
  -no-feature-concurrent -no-feature-vulkan -no-feature-tabletevent -no-feature-xml
  -no-feature-testlib
  # The site book's local file (Qt SQL over SQLite) and network ports (Qt Network).
  -sql-sqlite -system-sqlite -no-sql-odbc -no-sql-psql -no-sql-mysql -no-sql-ibase
  -no-sql-oci -no-sql-db2 -no-openssl
)

deps() {
  local packages=(
    g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix mingw-w64-tools binutils-mingw-w64-x86-64
    cmake ninja-build dpkg-dev qt6-base-dev qt6-base-dev-tools qt6-tools-dev-tools qt6-l10n-tools
    qt6-translations-l10n nsis zip unzip wine wine64 xvfb xauth xdotool imagemagick
    fonts-dejavu-core tcl osslsigncode openssl python3
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

sqlite_dir() {
  local version
  version=$(apt-cache showsrc sqlite3 | awk '/^Version:/{print $2; exit}')
  echo "$cache/sqlite-$version-win64-$(key "$version" "$(cat "$toolchain")")"
}

# SQLite's single-file source is generated from Debian's tree on this machine (tclsh), then
# compiled for Windows into a static library that Qt's SQLite driver takes in.
sqlite() {
  local prefix; prefix=$(sqlite_dir)
  if [ -f "$prefix/.complete" ]; then say "SQLite for Windows cached in $prefix"; return; fi
  local work=$cache/work/sqlite
  rm -rf "$work" "$prefix"; mkdir -p "$work" "$prefix/include" "$prefix/lib"
  (cd "$work" && apt-get source --download-only sqlite3 >/dev/null && dpkg-source -x sqlite3_*.dsc src >/dev/null)
  (cd "$work/src" && ./configure --disable-tcl >"$work/configure.log" 2>&1 && make sqlite3.c >"$work/build.log" 2>&1) \
    || { tail -40 "$work/configure.log" "$work/build.log"; exit 1; }
  x86_64-w64-mingw32-gcc-posix -O2 -c "$work/src/sqlite3.c" -o "$work/sqlite3.o" \
    -DSQLITE_THREADSAFE=1 -DSQLITE_ENABLE_COLUMN_METADATA -DSQLITE_ENABLE_FTS5 -DSQLITE_OMIT_LOAD_EXTENSION
  x86_64-w64-mingw32-ar rcs "$prefix/lib/libsqlite3.a" "$work/sqlite3.o"
  cp "$work/src/sqlite3.h" "$work/src/sqlite3ext.h" "$prefix/include/"
  touch "$prefix/.complete"
  rm -rf "$work"
}

qt_dir() {
  if [ -n "${TAVRIX_QT_WIN:-}" ]; then echo "$TAVRIX_QT_WIN"; return; fi
  local version
  version=$(dpkg-query -W -f='${Version}' qt6-base-dev)
  echo "$cache/qtbase-$version-win64-$(key "$version" "${qt_options[@]}" "$(cat "$toolchain")" "$(sqlite_dir)")"
}

qt() {
  local prefix; prefix=$(qt_dir)
  if [ -f "$prefix/.complete" ]; then say "Qt for Windows cached in $prefix"; return; fi
  local sqlite; sqlite=$(sqlite_dir)
  local work=$cache/work/qtbase
  rm -rf "$work" "$prefix"; mkdir -p "$work"
  (cd "$work" && apt-get source --download-only qt6-base >/dev/null && dpkg-source -x --skip-patches qt6-base_*.dsc src >/dev/null)
  mkdir -p "$work/build"
  (cd "$work/build" && "$work/src/configure" -prefix "$prefix" "${qt_options[@]}" -- \
      -G Ninja -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
      -DSQLite3_INCLUDE_DIR="$sqlite/include" -DSQLite3_LIBRARY="$sqlite/lib/libsqlite3.a" \
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
  # The reader of the page forms runs during the build: it is built for this machine.
  mkdir -p "$build/host"
  # shellcheck disable=SC2046
  g++ -std=c++20 -O1 -fPIC -I"$root" "$root/tools/formstart.cpp" "$root/config/accessiblename.cpp" \
    -o "$build/host/tavrix-formstart" $(pkg-config --cflags --libs Qt6Core)
  # A build folder made against another Qt for Windows keeps pointing at it: start it afresh.
  if [ -f "$build/CMakeCache.txt" ] && ! grep -qF "Qt6_DIR:PATH=$qt/" "$build/CMakeCache.txt"; then
    rm -rf "$build/CMakeCache.txt" "$build/CMakeFiles"
  fi
  # rcc writes SOURCE_DATE_EPOCH into the resources it compiles, and compiles them again
  # only when their files change: those compiled for another commit are compiled afresh.
  if [ -d "$build" ] && [ "$(cat "$build/.source-date-epoch" 2>/dev/null)" != "$SOURCE_DATE_EPOCH" ]; then
    find "$build" -name 'qrc_*.cpp' -delete
  fi
  mkdir -p "$build"; echo "$SOURCE_DATE_EPOCH" >"$build/.source-date-epoch"
  # Qt's toolchain file puts its prefix where the cross build looks, then loads ours.
  local launcher=()
  command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DTAVRIX_REPRODUCIBLE=ON -DTAVRIX_COMMIT="${TAVRIX_COMMIT:-}" "${launcher[@]}" \
    -DCMAKE_TOOLCHAIN_FILE="$qt/lib/cmake/Qt6/qt.toolchain.cmake" \
    -DQT_CHAINLOAD_TOOLCHAIN_FILE="$toolchain" -DQT_HOST_PATH=/usr \
    -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DJPEG_INCLUDE_DIR="$jpeg/include" -DJPEG_LIBRARY="$jpeg/lib/libjpeg.a" \
    -DTAVRIX_HOST_FORMSTART="$build/host/tavrix-formstart" >/dev/null
  cmake --build "$build" -j "$jobs" --target tavrix-configurator tavrix-cli tavrix-sheet-pdf
}

# The DLLs a Windows binary imports that come from Qt or the compiler, recursively.
dll_search=()
dlls_of() {
  local file=$1 dll dir
  for dll in $(x86_64-w64-mingw32-objdump -p "$file" | awk '/DLL Name:/{print $3}'); do
    [ -e "$stage_dir/$dll" ] && continue
    for dir in "${dll_search[@]}"; do
      if [ -f "$dir/$dll" ]; then
        cp "$dir/$dll" "$stage_dir/"
        dlls_of "$dir/$dll"
        break
      fi
    done
  done
}

stage_dir=$build/stage
stage() {
  local qt; qt=$(qt_dir)
  dll_search=("$qt/bin" /usr/lib/gcc/x86_64-w64-mingw32/*-posix /usr/x86_64-w64-mingw32/lib)
  rm -rf "$stage_dir"; mkdir -p "$stage_dir/platforms" "$stage_dir/styles" "$stage_dir/sqldrivers" "$stage_dir/translations"
  cp "$build/tavrix-configurator.exe" "$build/tavrix-cli.exe" "$build/tavrix-sheet-pdf.exe" "$stage_dir/"
  # The window draws on the desktop; tavrix-sheet-pdf, tavrix-cli's drawer of PDF
  # sheets, takes the same platform for its fonts and opens no window.
  cp "$qt/plugins/platforms/qwindows.dll" "$stage_dir/platforms/"
  cp "$qt/plugins/styles/qwindowsvistastyle.dll" "$stage_dir/styles/"
  # The site book's file: Qt SQL's SQLite driver (a shared book is PostgreSQL, Linux only).
  cp "$qt/plugins/sqldrivers/qsqlite.dll" "$stage_dir/sqldrivers/"
  local f
  for f in "$stage_dir"/*.exe "$stage_dir"/platforms/*.dll "$stage_dir"/styles/*.dll "$stage_dir"/sqldrivers/*.dll; do dlls_of "$f"; done
  # Qt's own texts (file dialogs, message box buttons, context menus) in Russian.
  cp /usr/share/qt6/translations/qtbase_ru.qm "$stage_dir/translations/"
  # The programs' own texts in Russian: the window's always, tavrix-cli's for a system
  # whose language is Russian.
  cp "$build"/translations/tavrix-cli_ru.qm "$build"/translations/tavrix-commandline_ru.qm \
     "$build"/translations/tavrix-common_ru.qm "$stage_dir/translations/"
  # Plugins and translations are looked up beside the programs, wherever they are unpacked.
  printf '[Paths]\r\nPrefix = .\r\nPlugins = .\r\nTranslations = translations\r\n' >"$stage_dir/qt.conf"
  x86_64-w64-mingw32-strip "$stage_dir"/*.exe "$stage_dir"/*.dll "$stage_dir"/*/*.dll
}

version_of_project() {
  sed -n 's/^project(tavrix-configurator VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt"
}

# What the folder says of itself: README.txt, the program's licence, the notices and licence
# texts of what it ships (Debian's own records of each, from this machine).
texts() {
  local commit=${TAVRIX_COMMIT:-$(git -C "$root" rev-parse --short=12 HEAD 2>/dev/null || echo unknown)}
  local qt_version jpeg_version sqlite_version
  qt_version=$(dpkg-query -W -f='${Version}' qt6-base-dev)
  jpeg_version=$(basename "$(jpeg_dir)" | sed 's/^libjpeg-turbo-\(.*\)-win64-.*/\1/')
  sqlite_version=$(basename "$(sqlite_dir)" | sed 's/^sqlite-\(.*\)-win64-.*/\1/')
  sed -e "s/@VERSION@/$(version_of_project)/g" -e "s/@COMMIT@/$commit/g" "$root/windows/README.txt" \
    | sed 's/$/\r/' >"$stage_dir/README.txt"
  sed 's/$/\r/' "$root/LICENSE" >"$stage_dir/LICENSE.txt"
  sed -e "s/@QT_VERSION@/$qt_version/g" -e "s/@JPEG_VERSION@/$jpeg_version/g" \
      -e "s/@SQLITE_VERSION@/$sqlite_version/g" "$root/windows/NOTICES.txt" | sed 's/$/\r/' >"$stage_dir/NOTICES.txt"
  mkdir -p "$stage_dir/licenses"
  local name file
  for name in LGPL-3:/usr/share/common-licenses/LGPL-3 GPL-3:/usr/share/common-licenses/GPL-3 \
              Qt:/usr/share/doc/libqt6core6/copyright libjpeg-turbo:/usr/share/doc/libjpeg62-turbo/copyright \
              SQLite:/usr/share/doc/libsqlite3-0/copyright DejaVu:/usr/share/doc/fonts-dejavu-core/copyright \
              MinGW-w64:/usr/share/doc/gcc-mingw-w64-base/copyright+/usr/share/doc/mingw-w64-common/copyright; do
    : >"$stage_dir/licenses/${name%%:*}.txt"
    for file in $(tr + ' ' <<<"${name#*:}"); do
      [ -f "$file" ] || { echo "missing licence record $file" >&2; exit 1; }
      sed 's/$/\r/' "$file" >>"$stage_dir/licenses/${name%%:*}.txt"
    done
  done
}

# Fixed times and modes on every staged file, so that archives of it are the same bytes.
settle_stage() {
  find "$stage_dir" -type d -exec chmod 755 {} +
  find "$stage_dir" -type f -exec chmod 644 {} +
  find "$stage_dir" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +
}

signing() { [ -n "${TAVRIX_SIGN_PFX:-}" ]; }

# The list that `tavrix-cli selftest` and the About box check the unpacked copy against:
# every staged file's SHA-256 (after signing: signatures are part of what ships).
manifest() {
  (cd "$stage_dir" && find . -type f ! -name tavrix-files.sha256 | sed 's|^\./||' | sort \
     | while IFS= read -r f; do printf '%s  %s\n' "$(sha256sum <"$f" | cut -d' ' -f1)" "$f"; done) \
    >"$stage_dir/tavrix-files.sha256"
}

# A zip whose bytes depend only on the files: sorted names, one time, fixed modes, no extras.
reproducible_zip() {
  python3 - "$1" "$2" <<'PY'
import os, sys, time, zipfile
out, top = sys.argv[1], sys.argv[2]
stamp = time.gmtime(max(int(os.environ["SOURCE_DATE_EPOCH"]), 315532800))[:6]
names = []
for folder, dirs, files in os.walk(top):
    names += [os.path.join(folder, f) for f in files]
with zipfile.ZipFile(out, "w") as z:
    for name in sorted(names):
        info = zipfile.ZipInfo(name.replace(os.sep, "/"), stamp)
        info.compress_type = zipfile.ZIP_DEFLATED
        info.create_system = 3
        info.external_attr = 0o100644 << 16
        with open(name, "rb") as f:
            z.writestr(info, f.read(), compresslevel=9)
PY
}

dist() {
  local version name
  version=$(version_of_project)
  name=tavrix-configurator-$version
  stage
  texts
  if signing; then
    say "signing every .exe and .dll with $TAVRIX_SIGN_PFX"
    find "$stage_dir" -type f \( -name '*.exe' -o -name '*.dll' \) | sort | xargs "$root/scripts/sign-windows.sh"
  else
    say "no certificate (TAVRIX_SIGN_PFX): nothing is signed"
  fi
  manifest
  settle_stage
  mkdir -p "$dist"
  rm -rf "$build/zip" "$dist/$name-win64.zip" "$dist/$name-setup.exe" "$dist/SHA256SUMS"
  mkdir -p "$build/zip"
  cp -a "$stage_dir" "$build/zip/$name-win64"
  (cd "$build/zip" && reproducible_zip "$dist/$name-win64.zip" "$name-win64")
  # The installer puts down the files in a fixed order; the uninstaller removes exactly
  # those, deepest folders last.
  local list=$build/uninstall-files.nsh install=$build/install-files.nsh
  (cd "$stage_dir" && find . -type f | sed 's|^\./||' | sort | sed 's|/|\\|g; s|.*|  Delete "$INSTDIR\\&"|' &&
     find . -mindepth 1 -type d | sed 's|^\./||' | sort -r | sed 's|/|\\|g; s|.*|  RMDir "$INSTDIR\\&"|') >"$list"
  (cd "$stage_dir" && find . -type f | sed 's|^\./||' | sort | while IFS= read -r f; do
     dir=$(dirname "$f"); [ "$dir" = . ] && dir="" || dir="\\${dir//\//\\}"
     printf '  SetOutPath "$INSTDIR%s"\n  File "%s"\n' "$dir" "$stage_dir/$f"
   done) >"$install"
  # The page shown before installing: the program's licence, then what it ships of others.
  cat "$stage_dir/LICENSE.txt" - "$stage_dir/NOTICES.txt" <<<$'\r' >"$build/licence-page.txt"
  local sign_uninstaller=()
  signing && sign_uninstaller=(-DSIGN="$root/scripts/sign-windows.sh")
  makensis -V2 -DVERSION="$version" -DSTAGE="$stage_dir" -DICON="$root/windows/tavrix.ico" \
    -DSIZE_KB="$(du -sk --apparent-size "$stage_dir" | cut -f1)" -DFILELIST="$list" -DINSTALLFILES="$install" \
    -DLICENCE="$build/licence-page.txt" "${sign_uninstaller[@]}" \
    -DOUTFILE="$dist/$name-setup.exe" "$root/windows/installer.nsi"
  signing && "$root/scripts/sign-windows.sh" "$dist/$name-setup.exe"
  (cd "$dist" && sha256sum "$name-win64.zip" "$name-setup.exe" >SHA256SUMS)
  touch -d "@$SOURCE_DATE_EPOCH" "$dist/$name-win64.zip" "$dist/$name-setup.exe" "$dist/SHA256SUMS"
  ls -l "$dist" >&2
}

sign() {
  signing || { echo "sign: TAVRIX_SIGN_PFX names no certificate" >&2; exit 1; }
  dist
}

case $stage in
  deps) timed deps ;;
  sqlite) timed sqlite ;;
  qt) timed sqlite; timed qt ;;
  jpeg) timed jpeg ;;
  app) timed app ;;
  dist) timed dist ;;
  sign) timed sign ;;
  all) timed deps; timed sqlite; timed qt; timed jpeg; timed app; timed dist ;;
  *) echo "usage: $0 [deps|sqlite|qt|jpeg|app|dist|sign|all]" >&2; exit 2 ;;
esac
