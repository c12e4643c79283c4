#!/bin/sh
# Builds the Debian package from a build directory and checks its control fields and contents.
#
#   check_deb.sh CPACK BUILD_DIR OUT_DIR APP_ID
set -eu
cpack=$1 build=$2 out=$3 id=$4

rm -rf "$out"
"$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$out" >/dev/null
deb=$(echo "$out"/*.deb)
echo "$deb"
dpkg-deb --field "$deb"
contents=$(dpkg-deb --contents "$deb" | awk '{print $NF}')

failures=0
check() {
    what=$1
    shift
    if "$@"; then
        echo "ok    $what"
    else
        echo "FAIL  $what"
        failures=$((failures + 1))
    fi
}
is() { [ "$(dpkg-deb --field "$deb" "$1")" = "$2" ]; }
filled() { [ -n "$(dpkg-deb --field "$deb" "$1")" ]; }
needs() { dpkg-deb --field "$deb" Depends | tr ',' '\n' | grep -q "^ *$1\( \|$\)"; }
holds() { echo "$contents" | grep -qx "\./$1"; }

check "package nurvelo" is Package nurvelo
check "version 1.00" is Version 1.00
check "section education" is Section education
check "a maintainer" filled Maintainer
check "needs fonts-liberation2" needs fonts-liberation2
# Found by dpkg-shlibdeps in the program itself: nothing else would pull in Qt.
check "needs libqt6widgets6" needs libqt6widgets6
check "holds the program" holds usr/bin/Nurvelo
check "holds the desktop file" holds "usr/share/applications/$id.desktop"
check "holds the AppStream record" holds "usr/share/metainfo/$id.metainfo.xml"
check "holds the icon" holds "usr/share/icons/hicolor/48x48/apps/$id.png"
[ "$failures" -eq 0 ]
