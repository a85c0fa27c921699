#!/usr/bin/env bash
# Builds and runs every test headless: the Windows programs (cross-built; tested under
# Wine by the plain suite), the plain build, then the same suite under AddressSanitizer
# and UndefinedBehaviorSanitizer, then the fuzz targets briefly. The release it has built
# (the .deb and the Windows zip and installer) is built once more from a fresh copy in
# another folder, under another umask, locale and time zone, and must come out the same.
set -euo pipefail
cd "$(dirname "$0")/.."
# Each stage says how long it took, so that a slow one shows in the CI log.
stage() {
  local name=$1 t0=$SECONDS; shift
  "$@"
  printf '== %s: stage "%s" took %d s\n' "$(date +%T)" "$name" "$((SECONDS - t0))" >&2
}
stage "dependencies" ./scripts/install-deps.sh
jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen
# Every time the release holds is the last commit's, so a second build can give its bytes.
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}
# ccache under a base folder hands the compiler relative paths, which the folder maps of
# a release build do not catch: the programs would name other paths than a second build's.
unset CCACHE_BASEDIR

# Qt for Windows is built once into ~/.cache/tavrix and reused; each stage says its time.
# Without a certificate of its own the run signs with a throw-away CA, so that signing is
# tested every time (such a build is for testing, not for handing out).
sign_ca=""
if [ -z "${TAVRIX_SIGN_PFX:-}" ]; then
  ./scripts/throwaway-signing-ca.sh build-win/test-ca
  export TAVRIX_SIGN_PFX=$PWD/build-win/test-ca/sign.pfx TAVRIX_SIGN_PASS_FILE=$PWD/build-win/test-ca/sign.pass
  sign_ca=$PWD/build-win/test-ca/ca.pem
fi
stage "Windows programs" ./scripts/build-windows.sh all
(cd dist && sha256sum --check SHA256SUMS)
rm -rf build/release; mkdir -p build/release/zip
cp -p dist/* build/release/zip/

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTAVRIX_WINDOWS_STAGE="$PWD/build-win/stage" \
  -DTAVRIX_WINDOWS_SETUP="$(ls "$PWD"/dist/tavrix-configurator-*-setup.exe)" \
  -DTAVRIX_WINDOWS_SIGN_CA="$sign_ca" -DTAVRIX_REPRODUCIBLE=ON
# rcc writes SOURCE_DATE_EPOCH into the resources it compiles, and compiles them again only
# when their files change: those compiled for another commit are compiled afresh.
if [ "$(cat build/.source-date-epoch 2>/dev/null)" != "$SOURCE_DATE_EPOCH" ]; then
  find build -name 'qrc_*.cpp' -delete
  echo "$SOURCE_DATE_EPOCH" >build/.source-date-epoch
fi
stage "build" cmake --build build -j "$jobs"
stage "tests (Wine included)" ctest --test-dir build --output-on-failure -j "$jobs"
package() { (cd build && cpack -G DEB -B "$PWD/release/deb" >/dev/null) && rm -rf build/release/deb/_CPack_Packages; }
stage "Debian package" package
stage "reproducible" env TAVRIX_REPRODUCE_FIRST="$PWD/build/release" ./scripts/reproduce.sh deb zip

# Qt's own allocations at exit are not ours to chase: leak checks stay off.
export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTAVRIX_SANITIZE=ON
stage "ASan build" cmake --build build-asan -j "$jobs"
stage "ASan tests" ctest --test-dir build-asan --output-on-failure -j "$jobs"

if [ -f fuzz/CMakeLists.txt ]; then
  CC=clang-14 CXX=clang++-14 cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTAVRIX_FUZZ=ON
  stage "fuzz build" cmake --build build-fuzz -j "$jobs" --target fuzz-all
  stage "fuzz" ./fuzz/run-all.sh build-fuzz 20
fi
