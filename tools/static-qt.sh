#!/usr/bin/env bash
# Builds a static Qt from Debian's own qtbase source for one of the systems Nurvelo is built for
# besides Linux, and prints where it went (its last line on stdout):
#
#   prefix=$(sudo bash tools/debian13.sh bash tools/static-qt.sh windows | tail -n 1)
#
#   windows  64-bit Windows, with MinGW-w64, into /opt/nurvelo/qt-<version>-mingw;
#   web      WebAssembly for browsers, with Debian's emscripten, into
#            /opt/nurvelo/qt-<version>-wasm, with the emscripten SDK folder Qt's CMake asks for
#            standing in its emsdk/ (EMSDK=<prefix>/emsdk when building against it).
#
# Meant for Debian 13, whose host Qt of the very same version provides moc, rcc and uic.
# A second argument overrides the prefix. Once built, a run takes seconds; the stamp in the
# prefix names the host Qt, the configure line and the compiler it was built with, so a new
# qt6-base-dev or emscripten, or a changed line here builds afresh (on 2 cores 15 to 30 minutes
# for Windows, about 10 for the web).
#
# All of it is one function, read whole before it runs: bash reads a script as it goes, so an
# edit during the half-hour build would otherwise run whatever lands at the old offset.
set -euo pipefail
main() {
    export DEBIAN_FRONTEND=noninteractive
    checkout=$(cd "$(dirname "$0")/.." && pwd)
    target=${1:-}
    host_cmake_dir=/usr/lib/x86_64-linux-gnu/cmake
    packages=(qt6-base-dev qt6-base-dev-tools cmake ninja-build dpkg-dev patch xz-utils)

    say() { echo "$target-qt: $*" >&2; }
    die() { say "$*"; exit 1; }

    # What neither Qt needs, for a window of buttons, cells and entry boxes; every widget program
    # would otherwise carry QFileDialog.
    unused=(-no-feature-textmarkdownreader -no-feature-textmarkdownwriter -no-feature-textodfwriter
        -no-feature-pdf -no-feature-movie -no-feature-systemtrayicon -no-feature-filedialog)

    # What differs between the targets: where the Qt goes (the prefix's last word), what building
    # it needs, the compiler named in the stamp, Qt's configure line, what the build needs in
    # place first, what configure must not have left out, and the small program linked against
    # the result.
    case $target in
    windows)
        suffix=mingw
        patches=()
        toolchain=$checkout/cmake/mingw-w64.cmake
        packages+=(gcc-mingw-w64-x86-64-posix g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
            mingw-w64-x86-64-dev)
        # What the toolchain says counts, not which checkout it is in: CI's clone lies elsewhere.
        compiler() { echo "$(sha256sum <"$toolchain" | cut -d' ' -f1)  cmake/mingw-w64.cmake"; }
        set_options() {
            options=(
                -prefix "$prefix"
                -release -optimize-size -static -static-runtime
                -qt-host-path /usr
                -nomake examples -nomake tests
                # Everything Qt can bring along comes from its own copy, nothing from Debian's
                # Linux libraries; there is no zstd for MinGW in Debian, nor a copy in qtbase.
                -no-pkg-config -no-dbus -no-opengl -no-icu -no-glib -no-zstd -no-fontconfig
                -qt-zlib -qt-libpng -qt-pcre -qt-harfbuzz -qt-doubleconversion
                # The offscreen platform, which the tests draw on under Wine, is only built with
                # FreeType: it has no other font database on Windows.
                -qt-freetype
                -no-libjpeg -no-gif -no-ico
                -no-feature-sql -no-feature-network -no-feature-concurrent -no-feature-xml
                -no-feature-printsupport -no-feature-vulkan
                # QGraphicsView and style sheets have to stay, though nothing here uses them: the
                # Windows 11 style includes QGraphicsDropShadowEffect and calls
                # QApplication::styleSheet() without asking.
                "${unused[@]}"
                # DirectWrite, 6.8's font engine on Windows, is only compiled in with the direct2d
                # feature (without both, every program misses QWindowsDirectWriteFontDatabase at
                # link time); direct2d1_1 alone is the Direct2D platform plugin, which nothing
                # here uses.
                -no-feature-direct2d1_1
                # Debian's source lacks the wintab headers.
                -no-feature-tabletevent
                -no-feature-windeployqt -no-feature-androiddeployqt -no-feature-macdeployqt
                -no-feature-qmake
                --
                -DCMAKE_TOOLCHAIN_FILE="$toolchain"
                -DQT_HOST_PATH_CMAKE_DIR="$host_cmake_dir"
            )
        }
        prepare() { :; }
        # The offscreen platform is what the tests need; configure silently goes without it.
        configured() {
            [ -d "$scratch/build/src/plugins/platforms/offscreen" ] ||
                die "configure left out the offscreen platform"
        }
        # A widget program with the tests' offscreen platform, which runs on its own.
        write_check() {
            cat >"$scratch/check/CMakeLists.txt" <<'EOF'
cmake_minimum_required(VERSION 3.21)
project(check LANGUAGES CXX)
find_package(Qt6 REQUIRED COMPONENTS Widgets Test)
add_executable(check WIN32 check.cpp)
target_link_libraries(check PRIVATE Qt6::Widgets Qt6::Test)
qt_import_plugins(check INCLUDE Qt6::QOffscreenIntegrationPlugin)
EOF
            cat >"$scratch/check/check.cpp" <<'EOF'
#include <QApplication>
#include <QMessageBox>
#include <QTest>
int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    QMessageBox box(QMessageBox::Information, QStringLiteral("check"), QStringLiteral("check"));
    box.show();
    return QTest::qWaitForWindowExposed(&box) ? 0 : 1;
}
EOF
        }
        check_toolchain() { echo "$toolchain"; }
        linked() {
            local exe=$scratch/check/build/check.exe imports symbols
            # Whole outputs first: grep -q would stop reading, and pipefail fail the pipe.
            imports=$(x86_64-w64-mingw32-objdump -p "$exe" | grep 'DLL Name') &&
                symbols=$(x86_64-w64-mingw32-nm "$exe") || return
            echo "$imports"
            ! grep -Ei 'DLL Name: *(lib|Qt6)' <<<"$imports" &&
                grep -q qt_static_plugin_QWindowsIntegrationPlugin <<<"$symbols" &&
                grep -q qt_static_plugin_QOffscreenIntegrationPlugin <<<"$symbols"
        }
        ;;
    web)
        suffix=wasm
        # A touch the browser cancels (an edge swipe, a palm, a touch turning into a pinch) was
        # never told to Qt: its finger stayed pressed for good, every later tap pressed it again,
        # and the page took no more taps until reloaded; told, Qt released it where it was, which
        # clicked the button under it. And a page pinched larger was drawn no finer, only blurred.
        patches=("$checkout/tools/qt-wasm-touch.patch" "$checkout/tools/qt-wasm-pinch.patch")
        toolchain=/usr/share/emscripten/cmake/Modules/Platform/Emscripten.cmake
        packages+=(emscripten python3)
        compiler() { dpkg-query -W -f='${Package} ${Version}\n' emscripten binaryen "clang-$llvm"; }
        set_options() {
            options=(
                -prefix "$prefix"
                -platform wasm-emscripten
                -release -optimize-size -static
                -qt-host-path /usr
                -nomake examples -nomake tests
                # Many sources compiled as one: a fraction of the time on 2 cores.
                -unity-build
                -no-pkg-config -no-dbus -no-icu -no-glib -no-zstd -no-fontconfig
                -qt-zlib -qt-libpng -qt-pcre -qt-harfbuzz -qt-doubleconversion -qt-freetype
                -no-libjpeg -no-gif -no-ico
                # OpenGL stays: the wasm platform draws widgets through its backing store, which
                # is only built with it. Threads and wasm exceptions stay off, as by default:
                # Debian's emscripten links only the library variants its frozen cache holds
                # (none for wasm exceptions, none for LTO), and threads would need a web server
                # that sends cross-origin isolation headers. Qt 6.8 names emscripten 3.1.56;
                # Debian 13's 3.1.69 draws a warning and works.
                -no-feature-sql -no-feature-network -no-feature-concurrent -no-feature-xml
                -no-feature-printsupport -no-feature-testlib "${unused[@]}"
                # Every byte is downloaded, and what Qt's styles and accessibility merely name
                # comes along: item views, graphics view, style sheets, main windows and the
                # widgets and dialogs a window of buttons, cells and two entry boxes does not use.
                # Some must stay, or the wasm platform does not compile: regular expressions (it
                # reads key codes with them) and XPM images (drag and drop needs them). Only
                # xmlstream as a whole can go; without its reader alone QtCore does not compile.
                -no-feature-itemviews -no-feature-filesystemmodel -no-feature-graphicsview
                -no-feature-style-stylesheet -no-feature-mdiarea -no-feature-mainwindow
                -no-feature-dockwidget -no-feature-toolbar -no-feature-menubar -no-feature-tabbar
                -no-feature-toolbox -no-feature-spinbox -no-feature-datetimeedit
                -no-feature-calendarwidget -no-feature-textedit -no-feature-splitter
                -no-feature-statusbar -no-feature-sizegrip -no-feature-colordialog
                -no-feature-fontdialog -no-feature-inputdialog -no-feature-progressdialog
                -no-feature-errormessage -no-feature-wizard -no-feature-dial -no-feature-lcdnumber
                -no-feature-splashscreen -no-feature-commandlinkbutton -no-feature-keysequenceedit
                -no-feature-scroller -no-feature-effects -no-feature-whatsthis -no-feature-statustip
                -no-feature-picture -no-feature-undocommand -no-feature-filesystemwatcher
                -no-feature-mimetype -no-feature-xmlstream
                -no-feature-hijricalendar -no-feature-jalalicalendar
                -no-feature-islamiccivilcalendar -no-feature-raster-64bit -no-feature-raster-fp
                -no-feature-sha3-fast -no-feature-imageformat_bmp -no-feature-imageformat_ppm
                -no-feature-imageformat_xbm
                -no-feature-windeployqt -no-feature-androiddeployqt -no-feature-macdeployqt
                -no-feature-qmake
                --
                -DCMAKE_TOOLCHAIN_FILE="$toolchain"
                -DQT_HOST_PATH_CMAKE_DIR="$host_cmake_dir"
            )
        }
        # Qt's CMake finds emscripten only through an SDK folder: $EMSDK/.emscripten names the
        # emscripten folder under it, where it runs emcc to learn the version. Debian has no
        # such folder, so a small one inside the prefix stands in, pointing at Debian's.
        prepare() {
            export EMSDK=$scratch/stage$prefix/emsdk
            mkdir -p "$EMSDK"
            ln -s /usr/share/emscripten "$EMSDK/emscripten"
            echo "EMSCRIPTEN_ROOT = emsdk_path + '/emscripten'" >"$EMSDK/.emscripten"
        }
        configured() {
            [ -d "$scratch/build/src/plugins/platforms/wasm" ] ||
                die "configure left out the wasm platform"
        }
        # Waits in a nested event loop as Nurvelo's highlight pauses do, which a browser only
        # allows with asyncify (its link takes minutes); the symbol map tells whether the
        # platform came along. Running it needs a browser: tools/dev.sh web makes the page.
        write_check() {
            cat >"$scratch/check/CMakeLists.txt" <<'EOF'
cmake_minimum_required(VERSION 3.21)
project(check LANGUAGES CXX)
find_package(Qt6 REQUIRED COMPONENTS Widgets)
add_executable(check check.cpp)
target_link_libraries(check PRIVATE Qt6::Widgets)
target_link_options(check PRIVATE -sASYNCIFY -Os --emit-symbol-map)
qt_finalize_target(check)
EOF
            cat >"$scratch/check/check.cpp" <<'EOF'
#include <QApplication>
#include <QEventLoop>
#include <QMessageBox>
#include <QTimer>
int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    QMessageBox box(QMessageBox::Information, QStringLiteral("check"), QStringLiteral("check"));
    box.show();
    QEventLoop pause;
    QTimer::singleShot(400, &pause, &QEventLoop::quit);
    pause.exec();
    return app.exec();
}
EOF
        }
        check_toolchain() { echo "$scratch/stage$prefix/lib/cmake/Qt6/qt.toolchain.cmake"; }
        linked() {
            local build=$scratch/check/build symbols
            symbols=$(cat "$build/check.js.symbols") || return
            ls -l "$build"/check.{js,wasm}
            grep -q QWasmIntegration <<<"$symbols" && [ -e "$build/qtloader.js" ]
        }
        ;;
    *)
        echo "usage: $0 windows|web [prefix]" >&2
        exit 2
        ;;
    esac
    shift

    host_version=
    qt_version=
    prefix=
    stamp=
    options=()
    expected=
    llvm=
    find_host_qt() {
        host_version=$(dpkg-query -W -f='${db:Status-Status} ${Version}' qt6-base-dev 2>/dev/null |
            sed -n 's/^installed //p')
        [ -n "$host_version" ] || return 0
        qt_version=$(sed -E 's/^[0-9]+://; s/[+~-].*//' <<<"$host_version")
        prefix=$(realpath -m "${1:-/opt/nurvelo/qt-$qt_version-$suffix}")
        stamp=$prefix/$target-qt.stamp
        set_options
        # Emscripten names the LLVM it runs in its configuration.
        [ ! -e /usr/share/emscripten/.emscripten ] || llvm=$(sed -En \
            "s/^LLVM_ADD_VERSION *= *'([0-9]+)'.*/\1/p" /usr/share/emscripten/.emscripten)
        # The checkout's files by their place in it: CI's clone lies elsewhere.
        expected=$(printf 'qt6-base-dev %s\n%s\n%s\n' "$host_version" \
            "${options[*]//"$checkout/"/}" "$(compiler 2>/dev/null)")
        local patch
        for patch in "${patches[@]}"; do
            expected+=$'\n'"$(sha256sum <"$patch" | cut -d' ' -f1)  ${patch#"$checkout/"}"
        done
    }
    built() { [ -n "$stamp" ] && [ -e "$stamp" ] && [ "$(cat "$stamp")" = "$expected" ]; }

    find_host_qt "$@"
    if built; then echo "$prefix"; exit 0; fi

    missing=()
    for package in "${packages[@]}"; do
        [ "$(dpkg-query -W -f='${db:Status-Status}' "$package" 2>/dev/null)" = installed ] ||
            missing+=("$package")
    done
    apt_install() {
        apt-get install -y -qq --no-install-recommends -o DPkg::Lock::Timeout=600 "$@" >&2
    }
    if [ ${#missing[@]} -gt 0 ]; then
        say "installing ${missing[*]}"
        apt_install "${missing[@]}" || { apt-get update -qq -o DPkg::Lock::Timeout=600 >&2 &&
            apt_install "${missing[@]}"; } || die "could not install ${missing[*]}"
    fi
    find_host_qt "$@"
    [ -n "$host_version" ] || die "qt6-base-dev is not installed"
    [ -e "$host_cmake_dir/Qt6HostInfo/Qt6HostInfoConfig.cmake" ] ||
        die "no Qt6HostInfo in $host_cmake_dir"
    if built; then echo "$prefix"; exit 0; fi

    # Two runs at once would build twice and move over each other's prefix.
    mkdir -p /var/lock
    exec 9>"/var/lock/nurvelo-$target-qt.lock"
    flock 9
    if built; then echo "$prefix"; exit 0; fi
    if [ -e "$prefix" ] && [ -n "$(ls -A "$prefix")" ] && [ ! -e "$stamp" ]; then
        die "$prefix is not empty and was not made here; remove it or pass another prefix"
    fi

    # A run killed from outside (debian13.sh's namespace going down) had no time to clean up;
    # with the lock held, no other run is using what it left.
    find /var/tmp -maxdepth 1 -type d -name "nurvelo-$target-qt.??????" \
        -exec rm -rf --one-file-system {} +
    scratch=$(mktemp -d "/var/tmp/nurvelo-$target-qt.XXXXXX")
    log=/var/tmp/nurvelo-$target-qt.log
    cleanup() { rm -rf --one-file-system "$scratch"; }
    trap cleanup EXIT
    trap 'exit 130' INT TERM
    : >"$log"
    step() {
        local what=$1 start=$SECONDS
        shift
        say "$what (log: $log)"
        if ! "$@" >>"$log" 2>&1; then
            tail -n 40 "$log" >&2
            die "$what failed; the whole log is $log"
        fi
        say "$what took $((SECONDS - start)) s"
    }

    prepare
    source_version=$(dpkg-query -W -f='${source:Version}' qt6-base-dev)
    fetch() {
        cd "$scratch"
        # Fetched as _apt where it may write, as apt prefers.
        chown _apt "$scratch" 2>/dev/null || true
        apt-get source -qq "qt6-base=$source_version" || {
            apt-get update -qq -o DPkg::Lock::Timeout=600 &&
                apt-get source -qq "qt6-base=$source_version"; }
    }
    step "fetching qt6-base $source_version" fetch
    src=$(find "$scratch" -mindepth 1 -maxdepth 1 -type d -name 'qt6-base-*' | head -n 1)
    [ -n "$src" ] || die "no source tree in $scratch"
    # Debian turns off linking the static plugins by default (a shared Qt finds them at run time);
    # a static Qt without them builds programs that find no platform plugin, and link without
    # a word.
    step "restoring Qt's own plugin linking" \
        patch -R -p1 -d "$src" -i "$src/debian/patches/enable_skip_plugins.patch"
    for patch in "${patches[@]}"; do
        step "applying ${patch#"$checkout/"}" patch -p1 -d "$src" -i "$patch"
    done

    mkdir "$scratch/build"
    cd "$scratch/build"
    step configuring "$src/configure" "${options[@]}"
    configured
    step building cmake --build . --parallel
    step installing env DESTDIR="$scratch/stage" cmake --install .

    # A Qt can build and still not link: a small widget program against the installed tree.
    mkdir "$scratch/check"
    write_check
    check() {
        cmake -S "$scratch/check" -B "$scratch/check/build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
            -DCMAKE_TOOLCHAIN_FILE="$(check_toolchain)" -DCMAKE_PREFIX_PATH="$scratch/stage$prefix" \
            -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR="$host_cmake_dir" &&
            cmake --build "$scratch/check/build" && linked
    }
    step "linking a program with it" check

    rm -rf --one-file-system "$prefix"
    mkdir -p "$(dirname "$prefix")"
    mv "$scratch/stage$prefix" "$prefix"
    printf '%s\n' "$expected" >"$stamp"
    say "installed $(du -sh "$prefix" | cut -f1) in $prefix"
    echo "$prefix"
}
main "$@"
exit
