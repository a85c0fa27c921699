#!/usr/bin/env bash
# Builds the last commit twice and compares what ships, byte for byte:
#
#   scripts/reproduce.sh [deb] [zip]     (default: both)
#
# deb: the Debian package (cpack); zip: the Windows zip and installer (scripts/build-windows.sh,
# whose Qt and libjpeg for Windows come from the shared cache). The two builds differ in
# their folders (and the depth of them), umask, locale, time zone, the files' times and the
# hour they run at; SOURCE_DATE_EPOCH is the commit's time for both. On a difference the
# script prints diffoscope's report of the first file that differs and exits 1.
#
# TAVRIX_REPRODUCE_DIR (default /tmp/tavrix-reproduce) holds the two trees. Their paths stay
# the same from run to run, so that ccache, when installed, serves a later run; the two
# differ from each other, so that a folder's name leaking into a file still shows.
#
# TAVRIX_REPRODUCE_FIRST names a folder that already holds a first build of this commit
# (deb/ with the package, zip/ with dist/'s files), made in another folder: then only the
# second build runs. scripts/test.sh hands over the build it has just tested that way. A
# first build that was signed is compared with a second one signed with the same
# certificate (TAVRIX_SIGN_PFX): signing at the commit's time gives the same bytes.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
what=("$@")
((${#what[@]})) || what=(deb zip)
for w in "${what[@]}"; do
  case $w in deb | zip) ;; *) echo "usage: $0 [deb] [zip]" >&2; exit 2 ;; esac
done
./scripts/install-deps.sh --reproduce

work=${TAVRIX_REPRODUCE_DIR:-/tmp/tavrix-reproduce}
first=${TAVRIX_REPRODUCE_FIRST:-}
# Both builds take this commit, whatever is committed meanwhile.
revision=$(git rev-parse HEAD)
commit=${revision:0:12}
export SOURCE_DATE_EPOCH
SOURCE_DATE_EPOCH=$(git log -1 --format=%ct "$revision")
# Only a second build that stands beside a signed first one is signed.
sign_pfx=""
[ -n "$first" ] && sign_pfx=${TAVRIX_SIGN_PFX:-}
# ccache under a base folder hands the compiler relative paths, which the folder maps
# do not catch.
unset CCACHE_BASEDIR
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
say() { printf '== %s: %s\n' "$(date +%T)" "$*" >&2; }

# One build of the commit into $1/out: a fresh copy of the commit's files, not the work tree.
build_once() {
  local top=$1 src=$1/src out=$1/out
  rm -rf "$top"; mkdir -p "$src" "$out"
  git -C "$root" archive --format=tar "$revision" | tar -x -C "$src"
  find "$src" -exec touch -h -d "@$2" {} +
  local w
  for w in "${what[@]}"; do
    case $w in
      deb)
        cmake -S "$src" -B "$src/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
          -DTAVRIX_REPRODUCIBLE=ON -DTAVRIX_TESTS=OFF -DTAVRIX_COMMIT="$commit" "${launcher[@]}" >/dev/null
        cmake --build "$src/build" -j "$(nproc)" >/dev/null
        (cd "$src/build" && cpack -G DEB -B "$out/deb" >/dev/null)
        rm -rf "$out/deb/_CPack_Packages"
        ;;
      zip)
        TAVRIX_COMMIT=$commit TAVRIX_SIGN_PFX="$sign_pfx" "$src/scripts/build-windows.sh" app >/dev/null
        TAVRIX_COMMIT=$commit TAVRIX_SIGN_PFX="$sign_pfx" "$src/scripts/build-windows.sh" dist >/dev/null
        mkdir -p "$out/zip"
        cp -p "$src"/dist/* "$out/zip/"
        ;;
    esac
  done
}

t0=$SECONDS
if [ -n "$first" ]; then
  one=$(cd "$first" && pwd)
  say "first build of $commit: $one"
else
  say "first build of $commit"
  (umask 022; export LC_ALL=C.UTF-8 LANG=C.UTF-8 TZ=UTC; build_once "$work/one" "$SOURCE_DATE_EPOCH")
  one=$work/one/out
fi
t1=$SECONDS
[ -n "$first" ] || say "first build took $((t1 - t0)) s"
say "second build"
# Its files are older than the first's (a time in the future would leave the build
# forever out of date).
(umask 027; export LC_ALL=C LANG=C LANGUAGE=ru TZ=Asia/Vladivostok
 build_once "$work/two/a/deeper/folder" "$((SOURCE_DATE_EPOCH - 86400 * 400))")
say "second build took $((SECONDS - t1)) s"

status=0
two=$work/two/a/deeper/folder/out
listing() { (cd "$1" && for w in "${what[@]}"; do [ -d "$w" ] && find "$w" -type f; done) | LC_ALL=C sort; }
while IFS= read -r file; do
  if [ ! -f "$two/$file" ]; then
    echo "only in the first build: $file"; status=1; break
  fi
  if ! cmp -s "$one/$file" "$two/$file"; then
    echo "differs: $file"
    diffoscope --text - --max-report-size 200000 "$one/$file" "$two/$file" || true
    status=1
    break
  fi
  echo "same: $file ($(sha256sum <"$one/$file" | cut -c1-16)…)"
done < <(listing "$one")
if ((status == 0)) && [ -n "$(comm -13 <(listing "$one") <(listing "$two"))" ]; then
  echo "the second build made files the first did not:"; comm -13 <(listing "$one") <(listing "$two"); status=1
fi
if ((status == 0)) && [ -z "$(listing "$one")" ]; then
  echo "nothing to compare in $one"; status=1
fi
((status == 0)) && say "the two builds are the same ($((SECONDS - t0)) s in all)"
exit $status
