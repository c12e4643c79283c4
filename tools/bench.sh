#!/usr/bin/env bash
# Builds in Release and prints the figures for the README's "Measured figures": the highlight
# pause, a ripple, start-up, memory and closing, each beside its reference. Runs the real window
# on Xvfb, which `bash tools/dev.sh test` installs. Takes about a minute.
set -euo pipefail
cd "$(dirname "$0")/.."

command -v xvfb-run >/dev/null || {
    echo "xvfb-run is missing: run 'bash tools/dev.sh test' once, it installs Xvfb" >&2
    exit 1
}
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build --target nurvelo_bench

runtime=$(mktemp -d)
trap 'rm -rf "$runtime"' EXIT
XDG_RUNTIME_DIR=$runtime xvfb-run -a -s "-screen 0 1280x1024x24" ./build/bench/nurvelo_bench
