#!/usr/bin/env bash
# Installs what a fresh Debian or Ubuntu machine is missing, builds, and then either starts
# the program (run) or runs every test (test).
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(cmake ninja-build g++ qt6-base-dev fonts-liberation2)
if [ "${1:-}" = test ]; then
    packages+=(xvfb xauth imagemagick clang libclang-rt-14-dev binutils-mingw-w64-x86-64
               desktop-file-utils appstream dpkg-dev file python3)
fi

missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed" ||
        missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo=sudo
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
fi

case "${1:-}" in
run)
    cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release
    cmake --build build
    exec ./build/src/Nurvelo
    ;;
test)
    cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release
    cmake --build build
    ctest --test-dir build --output-on-failure
    ;;
*)
    echo "usage: $0 run|test" >&2
    exit 2
    ;;
esac
