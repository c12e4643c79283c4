#!/usr/bin/env bash
# Installs what a fresh Debian or Ubuntu machine is missing, builds, and then either starts
# the program (run) or runs every test (test).
set -euo pipefail
cd "$(dirname "$0")/.."

sudo=""
[ "$(id -u)" -eq 0 ] || sudo=sudo
install_missing() {
    local missing=() package
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed" ||
            missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
}

# Qt's translations give its own menus and shortcut names in German; without them they stay English.
install_missing cmake ninja-build g++ qt6-base-dev fonts-liberation2 qt6-translations-l10n
if [ "${1:-}" = test ]; then
    # A virtual X screen and a screen reader for what is seen and heard; the tools of Linux
    # desktops, Debian and Windows for what is packaged.
    install_missing xvfb xauth imagemagick openbox xdotool orca dbus at-spi2-core procps clang \
        binutils-mingw-w64-x86-64 cpp desktop-file-utils appstream dpkg-dev
    # libFuzzer comes with the runtime of the clang that is installed, whichever version it is.
    install_missing "libclang-rt-$(clang -dumpversion | cut -d. -f1)-dev"
fi

case "${1:-}" in
run)
    cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release
    cmake --build build --target Nurvelo
    exec ./build/src/Nurvelo
    ;;
test)
    cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release
    cmake --build build
    ctest --test-dir build --output-on-failure

    # The number-entry reader under libFuzzer for a while, from a fresh corpus; a mismatch with
    # the reference reading or a sanitizer report fails the run and leaves its input in build-fuzz/.
    cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_CXX_COMPILER=clang++ -DNURVELO_FUZZ=ON -DNURVELO_BUILD_TESTS=OFF >/dev/null
    cmake --build build-fuzz --target fuzz_numberentry
    rm -rf build-fuzz/corpus && mkdir build-fuzz/corpus
    ./build-fuzz/fuzz/fuzz_numberentry -max_total_time="${NURVELO_FUZZ_SECONDS:-30}" -seed=1 \
        -max_len=64 -dict=fuzz/numberentry.dict -artifact_prefix=build-fuzz/ \
        -print_final_stats=1 build-fuzz/corpus 2>build-fuzz/fuzz.log ||
        { tail -n 40 build-fuzz/fuzz.log; exit 1; }
    grep -E '^(Done|stat::new_units_added)' build-fuzz/fuzz.log

    # The program's tests again under AddressSanitizer (with LeakSanitizer) and
    # UndefinedBehaviorSanitizer; fewer random model runs, as each is ten times slower here.
    cmake -S . -B build-sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug -DNURVELO_SANITIZE=ON
    cmake --build build-sanitize
    NURVELO_MODEL_RUNS=1000 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
        LSAN_OPTIONS=suppressions="$PWD/tests/lsan.supp":print_suppressions=0 \
        ctest --test-dir build-sanitize --output-on-failure --label-exclude packaging
    ;;
*)
    echo "usage: $0 run|test" >&2
    exit 2
    ;;
esac
