#!/usr/bin/env bash
# Builds the configurator and the controller simulator, links the simulator's
# pseudo-terminal as COM1 in a private ports folder and starts the window on it.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
# Only the two programs it starts: the tests and benchmarks are for ./scripts/test.sh.
cmake --build build -j "$(nproc)" --target tavrix-configurator tavrix-sim

private=$(mktemp -d)
trap 'kill "$sim" 2>/dev/null || true; wait "$sim" 2>/dev/null || true; rm -rf "$private"' EXIT
export XDG_CONFIG_HOME="$private"
./build/tavrix-sim --com 1 &
sim=$!
# The simulator creates the link once its pseudo-terminal is ready.
for _ in $(seq 100); do [ -e "$private/tavrix/ports/com1" ] && break; sleep 0.05; done
./build/tavrix-configurator
