#!/usr/bin/env bash
# Installs what a fresh Debian or Ubuntu machine is missing, builds, and then
#   run          starts the program;
#   test         runs every test: here, again on Debian 13 (Qt 6.8, Orca 48) in a chroot, the
#                Windows program under Wine (what `windows` does) and the web page in three
#                browsers (what `web` does);
#   windows      builds the Windows program and its installer on Debian 13 and tests them
#                under Wine;
#   web          builds the web page, Nurvelo in WebAssembly, on Debian 13 into build-web/, and
#                tests it in Chromium, Firefox and WebKit;
#   test-here    runs every test on this system only, as the first two legs of `test` do;
#   windows-here is the Windows leg itself, on Debian 13, and web-here the web page's.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${NURVELO_BUILD:-build}

sudo=""
[ "$(id -u)" -eq 0 ] || sudo=sudo
install_missing() {
    local options=() missing=() package
    [ "$1" != --no-install-recommends ] || { options=("$1") && shift; }
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed" ||
            missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return
    $sudo apt-get update -qq
    # The Debian 13 leg and the Windows build may share a chroot, and its package lock.
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq -o DPkg::Lock::Timeout=600 \
        "${options[@]}" "${missing[@]}"
}
# What building Nurvelo needs; Qt's translations give its own menus and shortcut names in German.
# Qt's speech reads aloud on Linux (Debian 12's forgets that its CMake files need Qt Quick's).
build_tools=(cmake ninja-build g++ qt6-base-dev fonts-liberation2 qt6-translations-l10n)
speech=(qt6-speech-dev qt6-declarative-dev qt6-speech-speechd-plugin)
# The other legs run as root in a chroot made with debootstrap.
elsewhere() {
    install_missing debootstrap debian-archive-keyring
    $sudo bash tools/debian13.sh bash tools/dev.sh "$@"
}
# A leg of the tests, and how long it took.
leg() {
    local started=$SECONDS
    "${@:2}"
    echo "== $1: $((SECONDS - started)) s"
}

test_here() {
    install_missing "${build_tools[@]}" "${speech[@]}"
    # A virtual X screen, a screen reader and a speech server for what is seen and heard; the
    # tools of Linux desktops and Debian for what is packaged.
    install_missing xvfb xauth imagemagick openbox xdotool orca dbus at-spi2-core procps clang \
        speech-dispatcher desktop-file-utils appstream dpkg-dev file lintian
    # GNOME Shell without a screen for the window on Wayland (tests/harness/gnome.sh); not what a
    # whole desktop would recommend beside it.
    install_missing --no-install-recommends gnome-shell xwayland qt6-wayland
    # libFuzzer comes with the runtime of the clang that is installed, whichever version it is.
    install_missing "libclang-rt-$(clang -dumpversion | cut -d. -f1)-dev"

    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release
    cmake --build "$build"
    ctest --test-dir "$build" --output-on-failure

    # The number-entry reader under libFuzzer for a while, from a fresh corpus; a mismatch with
    # the reference reading or a sanitizer report fails the run and leaves its input behind.
    local fuzz=$build-fuzz
    cmake -S . -B "$fuzz" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_CXX_COMPILER=clang++ -DNURVELO_FUZZ=ON -DNURVELO_BUILD_TESTS=OFF >/dev/null
    cmake --build "$fuzz" --target fuzz_numberentry
    rm -rf "$fuzz/corpus" && mkdir "$fuzz/corpus"
    "$fuzz/fuzz/fuzz_numberentry" -max_total_time="${NURVELO_FUZZ_SECONDS:-30}" -seed=1 \
        -max_len=64 -dict=fuzz/numberentry.dict -artifact_prefix="$fuzz/" \
        -print_final_stats=1 "$fuzz/corpus" 2>"$fuzz/fuzz.log" ||
        { tail -n 40 "$fuzz/fuzz.log"; exit 1; }
    grep -E '^(Done|stat::new_units_added)' "$fuzz/fuzz.log"

    # The program's tests again under AddressSanitizer (with LeakSanitizer) and
    # UndefinedBehaviorSanitizer; fewer random model runs, as each is ten times slower here.
    cmake -S . -B "$build-sanitize" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DNURVELO_SANITIZE=ON
    cmake --build "$build-sanitize"
    NURVELO_MODEL_RUNS=1000 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
        LSAN_OPTIONS=suppressions="$PWD/tests/lsan.supp":print_suppressions=0 \
        ctest --test-dir "$build-sanitize" --output-on-failure --label-exclude packaging
}

# Nurvelo.exe and its installer in build-windows/, with MinGW-w64 and a static Qt built once from
# Debian's source (tools/static-qt.sh), then the tests under Wine, the window's on a virtual
# screen.
windows_here() {
    install_missing "${build_tools[@]}" nsis wine wine64 xvfb xauth openbox xdotool imagemagick \
        icoutils binutils
    local qt
    qt=$(bash tools/static-qt.sh windows | tail -n 1)
    cmake -S . -B build-windows -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DCMAKE_PREFIX_PATH="$qt" -DQT_HOST_PATH=/usr \
        -DCMAKE_EXE_LINKER_FLAGS_RELEASE=-s -DCMAKE_CROSSCOMPILING_EMULATOR=wine
    cmake --build build-windows
    # Wine as a fresh Windows: without asking to install its .NET and browser engine.
    export WINEPREFIX=$PWD/build-windows/wine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    wineboot --init && wineserver --wait
    ctest --test-dir build-windows --output-on-failure
}

# The web page in build-web/, which holds only what a browser loads, so that it can go onto a web
# server as it is: Nurvelo built with Debian's emscripten against a static Qt built once from
# Debian's source (tools/static-qt.sh); the build itself in build-web-cmake/. Then the page in
# Chromium, Firefox and WebKit.
web_here() {
    install_missing "${build_tools[@]}" emscripten python3 python3-fonttools
    local qt
    qt=$(bash tools/static-qt.sh web | tail -n 1)
    # Qt's CMake finds emscripten through an SDK folder; the Qt build made one that stands in.
    export EMSDK=$qt/emsdk
    cmake -S . -B build-web-cmake -G Ninja -DCMAKE_BUILD_TYPE=MinSizeRel \
        -DCMAKE_TOOLCHAIN_FILE="$qt/lib/cmake/Qt6/qt.toolchain.cmake" -DQT_HOST_PATH=/usr \
        -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake -DNURVELO_BUILD_TESTS=OFF \
        -DNURVELO_WEB_PAGE="$PWD/build-web"
    cmake --build build-web-cmake
    # What a browser fetches, as a web server sends it compressed.
    local file total=0 size
    for file in build-web/*; do
        size=$(gzip -9c "$file" | wc -c)
        total=$((total + size))
        printf '%-30s %9d bytes, %9d with gzip -9\n' "$file" "$(stat -c %s "$file")" "$size"
    done
    printf '%-30s %9s        %9d with gzip -9\n' "the page" "" "$total"

    # The three engines of the world's browsers, and what drives them (tests/harness), at the
    # versions its lock file names.
    install_missing chromium firefox-esr webkit2gtk-driver nodejs npm xvfb xauth cmake
    (cd tests/harness && npm ci --no-audit --no-fund --loglevel=error)
    xvfb-run -a node tests/window/in_browser.mjs build-web
    page_heard
}

# The page as Orca reads it in Firefox, with a voice of the tests' own.
page_heard() {
    install_missing firefox-esr orca speech-dispatcher xvfb xauth openbox xdotool dbus \
        at-spi2-core
    bash tests/window/page_heard.sh build-web
}

case "${1:-}" in
run)
    install_missing "${build_tools[@]}" "${speech[@]}" speech-dispatcher-espeak-ng
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release
    cmake --build "$build" --target Nurvelo
    exec "./$build/src/Nurvelo"
    ;;
test-here)
    test_here
    ;;
test)
    leg "$(. /etc/os-release && echo "$PRETTY_NAME")" test_here
    leg "Debian 13 in a chroot" elsewhere test-here
    leg "Windows under Wine" elsewhere windows-here
    leg "The web page" elsewhere web-here
    leg "The web page heard by Orca $(orca --version), here" page_heard
    ;;
windows)
    leg "Windows under Wine" elsewhere windows-here
    ;;
windows-here)
    windows_here
    ;;
web)
    leg "The web page" elsewhere web-here
    echo "To see it: python3 -m http.server -d build-web 8000, then http://localhost:8000/"
    ;;
web-here)
    web_here
    ;;
*)
    echo "usage: $0 run|test|windows|web|test-here|windows-here|web-here" >&2
    exit 2
    ;;
esac
