#!/usr/bin/env bash
# Runs every fuzz target of BUILD_DIR for SECONDS each, on a scratch copy of its seed
# corpus (the committed seeds stay as they are). Exits non-zero when a target fails;
# the input that broke it is kept in BUILD_DIR/fuzz-artifacts/.
set -euo pipefail
if [ $# -ne 2 ]; then
  echo "usage: $0 BUILD_DIR SECONDS" >&2
  exit 2
fi
build=$1
seconds=$2
here=$(cd "$(dirname "$0")" && pwd)
artifacts="$build/fuzz-artifacts"
mkdir -p "$artifacts"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

status=0
for seeds in "$here"/corpus/*/; do
  target=$(basename "$seeds")
  binary="$build/fuzz/$target"
  if [ ! -x "$binary" ]; then
    echo "missing $binary (build the fuzz-all target first)" >&2
    status=1
    continue
  fi
  mkdir -p "$work/$target"
  cp -r "$seeds". "$work/$target/"
  echo "== $target for ${seconds}s"
  if ! "$binary" -max_total_time="$seconds" -print_final_stats=1 \
      -artifact_prefix="$artifacts/$target-" "$work/$target" >"$work/$target.log" 2>&1; then
    tail -n 60 "$work/$target.log" >&2
    echo "!! $target failed; see $artifacts" >&2
    status=1
  else
    grep -E "^stat::number_of_executed_units|^Done" "$work/$target.log" || true
  fi
done
exit $status
