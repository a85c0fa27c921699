#!/bin/sh
# Wall time of `tavrix-cli write` to one controller and to four at once, each a
# simulator at 9600 baud on its own COM number. Usage: scripts/bench-cli.sh [rounds]
set -eu
cd "$(dirname "$0")/.."
rounds=${1:-5}
home=$(mktemp -d)
pids=""
cleanup() {
    for pid in $pids; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$home"
}
trap cleanup EXIT INT TERM
export XDG_CONFIG_HOME="$home"
for com in 3 4 5 6; do
    build/tavrix-sim --com "$com" --quiet >/dev/null &
    pids="$pids $!"
done
while [ "$(ls "$home/tavrix/ports" 2>/dev/null | wc -l)" -lt 4 ]; do sleep 0.1; done
build/tavrix-cli defaults -o "$home/factory.cfg"

# Prints the median wall time in seconds of `tavrix-cli write PORTS... FILE`.
median() {
    for i in $(seq "$rounds"); do
        start=$(date +%s.%N)
        build/tavrix-cli write "$@" "$home/factory.cfg" 2>/dev/null
        end=$(date +%s.%N)
        awk "BEGIN { print $end - $start }"
    done | sort -n | awk '{ t[NR] = $1 } END { printf "%.3f", t[int((NR + 1) / 2)] }'
}
one=$(median COM3)
four=$(median COM3 COM4 COM5 COM6)
echo "write, 1 controller:  $one s"
echo "write, 4 controllers: $four s"
awk "BEGIN { printf \"ratio: %.2f\\n\", $four / $one }"
