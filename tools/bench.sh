#!/usr/bin/env bash
# Builds in Release and prints the figures for the README's "Measured figures": start-up, memory,
# closing, the highlight pause, a ripple and zoom steps, each beside its reference. Runs the real
# window on Xvfb, which `bash tools/dev.sh test` installs, on a screen large enough for 400 %.
# Takes about a minute and a half. Usage: tools/bench.sh [BUILD-DIRECTORY], build/ by default.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}

command -v xvfb-run >/dev/null || {
    echo "xvfb-run is missing: run 'bash tools/dev.sh test' once, it installs Xvfb" >&2
    exit 1
}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target nurvelo_bench >&2

runtime=$(mktemp -d)
trap 'rm -rf "$runtime"' EXIT
XDG_RUNTIME_DIR=$runtime xvfb-run -a -s "-screen 0 3840x2160x24" "$build/bench/nurvelo_bench"
