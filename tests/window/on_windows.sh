#!/bin/bash
# Nurvelo.exe as Windows users meet it, under Wine with a window manager, in a fresh Wine prefix.
set -eu # xvfb-run bash on_windows.sh NURVELO.EXE SETUP.EXE MINGW-G++
exe=$1 setup=$2
fail() { echo "$*" >&2; exit 1; }
export WINEPREFIX=$PWD/wine-fresh WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
rm -rf "$WINEPREFIX" && wineboot --init && wineserver --wait

# Every resource in German; the icons up to 256 px for Explorer; the version record.
[ -z "$(wrestool --list "$exe" | grep -v -- '--language=1031 ')" ] || fail "not all German"
wrestool --extract --type=14 "$exe" >icon.ico # icotool cannot seek in a pipe to the PNG
sizes=$(icotool --list icon.ico | grep -o 'width=[0-9]*' | sort -u)
[ "$(echo $sizes)" = "width=16 width=256 width=32 width=48 width=64" ] || fail "icons: $sizes"
version=$(wrestool --extract --raw --type=16 "$exe" | strings -el | tr '\n' ' ')
[[ $version == *"FileVersion 1.00 "*"Nurvelo.exe ProductName Nurvelo ProductVersion 1.00 "* ]] ||
    fail "version record: $version"

openbox & timeout 30 sh -c 'until xdotool get_desktop >/dev/null 2>&1; do sleep 0.1; done'
shown() { timeout 60 xdotool search --sync --onlyvisible --name '^Nurvelo$' | head -n 1; }
# Nothing of Wine's left behind to hold the test's output open, whatever happens.
trap '{ kill ${program:-}; wineserver -k; } 2>/dev/null || true' EXIT
for asked in --version:0 --gross:2; do # a message box each, closed with Enter
    wine "$exe" "${asked%:*}" & program=$!
    # The first window of the name may go again before it takes a key; then the next one.
    for _ in 1 2 3 4 5; do
        box=$(shown) && xdotool windowactivate --sync "$box" key Return 2>/dev/null && break
        sleep 1
    done
    status=0 && wait $program || status=$?
    [ "$status" = "${asked#*:}" ] || fail "$asked: exit status $status"
done

# Einer "+" clicked while the units cell is looked at again and again: red (red, no green) in
# looks spanning 0.3 s at least, and 0.4 s at least from the last green look before to the first
# after. A screen reader's first question to the window makes Qt tell UI Automation. Read aloud,
# the program asks Windows for a German voice, which Wine has not got.
WINEDEBUG=fixme+uiautomation,+sapi wine "$exe" --vorlesen 2>uia.log & program=$!
window=$(shown) && eval "$(xdotool getwindowgeometry --shell "$window")"
[ "${WIDTH}x$HEIGHT" = 685x369 ] || fail "window ${WIDTH}x$HEIGHT"
"$3" -x c++ -o ask.exe - <<<'#include <windows.h>
int main() { SendMessageW(FindWindowW(0, L"Nurvelo"), WM_GETOBJECT, 0, -25); }' # UiaRootObjectId
wine ask.exe
xdotool mousemove --window "$window" 364 140 click 1 &
started=$(date +%s%N)
ms() { echo $((($(date +%s%N) - started) / 1000000)); }
for _ in $(seq 25); do
    echo "$(ms) $(import -window "$window" -crop 54x53+352+64 \
        -format '%[fx:maxima.r>0.5]%[fx:maxima.g>0.5]' info:) $(ms)"
done >looks.txt
kill $program
read -r seen until < <(awk '$2 == 10 { if (!red) red = $3; last = $1 } $2 == "01" && !red { before = $1 }
    $2 == "01" && red && !after { after = $3 } END { print last - red, after - before }' looks.txt)
[ "$seen" -ge 300 ] && [ "$until" -ge 400 ] || fail "red in looks over $seen ms, $until ms at most"
told=$(grep -o 'UiaRaiseNotificationEvent ([^,]*, 4, 2, L"[^"]*"' uia.log | cut -d'"' -f2 | tr '\n' ' ')
[ "$told" = 'Einer 1 Z\00e4hler 1 ' ] || fail "told UI Automation: $told"
grep -q 'sapi:token_category_EnumTokens .*L"Language=407"' uia.log || fail "no German voice asked for"

# Installed without a question, listed in "Apps and features", and removed again.
wine "$setup" /S && wineserver --wait
key='Software\Microsoft\Windows\CurrentVersion\Uninstall\Nurvelo'
entry=$(wine reg query "HKLM\\$key" || wine reg query "HKCU\\$key") &&
    grep -q "DisplayVersion *REG_SZ *1.00" <<<"$entry" || fail "listed as: ${entry:-nothing}"
installed() { find "$WINEPREFIX/drive_c" -name Nurvelo.exe -o -name Nurvelo.lnk -o -name Uninstall.exe; }
[ "$(installed | wc -l)" = 3 ] || fail "installed: $(installed)"
wine "$(sed -n 's/.*InstallLocation *REG_SZ *//p' <<<"$entry" | tr -d '\r')\\Uninstall.exe" /S
wineserver --wait && [ -z "$(installed)" ] || fail "left behind: $(installed)"
! wine reg query "HKLM\\$key" && ! wine reg query "HKCU\\$key" || fail "still listed"
