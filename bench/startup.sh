#!/bin/sh
# Start-up against its yardsticks, in instructions (which a busy machine does not
# change) and peak memory: the window to its first painted frame against a plain window
# with one label, `tavrix-cli defaults -o /dev/null` against a Qt Core program that
# prints one line. Needs valgrind and an X display (DISPLAY, e.g. Xvfb :N).
#   cmake --build build --target tavrix-configurator tavrix-cli bench_emptywindow bench_plaincore
#   DISPLAY=:N bench/startup.sh [build]
set -eu
build=${1:-build}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT INT TERM

# The program's own count: the larger of those valgrind prints (the toolkit may fork a
# short-lived child, whose count starts from its parent's).
instructions() {
    valgrind --tool=callgrind --callgrind-out-file="$work/out.%p" "$@" >/dev/null 2>"$work/log" || true
    sed -n 's/.*Collected : \([0-9]*\).*/\1/p' "$work/log" | sort -n | tail -1
}

peak() {
    /usr/bin/time -f %M -o "$work/peak" "$@" >/dev/null 2>&1 || true
    cat "$work/peak"
}

ratio() {
    awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'
}

export TAVRIX_EXIT_AFTER_FIRST_PAINT=1
window=$(instructions "$build/tavrix-configurator")
empty=$(instructions "$build/bench_emptywindow")
tool=$(instructions "$build/tavrix-cli" defaults -o /dev/null)
core=$(instructions "$build/bench_plaincore")
windowPeak=$(peak "$build/tavrix-configurator")
emptyPeak=$(peak "$build/bench_emptywindow")
toolPeak=$(peak "$build/tavrix-cli" defaults -o /dev/null)
corePeak=$(peak "$build/bench_plaincore")

printf 'window  %6.1f M instructions against %6.1f M: %s x; peak %6.1f MB against %6.1f MB: %s x\n' \
    "$(ratio "$window" 1000000)" "$(ratio "$empty" 1000000)" "$(ratio "$window" "$empty")" \
    "$(ratio "$windowPeak" 1024)" "$(ratio "$emptyPeak" 1024)" "$(ratio "$windowPeak" "$emptyPeak")"
printf 'tool    %6.1f M instructions against %6.1f M: %s x; peak %6.1f MB against %6.1f MB: %s x\n' \
    "$(ratio "$tool" 1000000)" "$(ratio "$core" 1000000)" "$(ratio "$tool" "$core")" \
    "$(ratio "$toolPeak" 1024)" "$(ratio "$corePeak" 1024)" "$(ratio "$toolPeak" "$corePeak")"
