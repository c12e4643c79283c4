#!/bin/bash
# Runs a program on a KWin of its own without a screen (Wayland, with Xwayland), as Plasma starts
# programs; does what standard input says, one command a line, as tools/gnome.sh does:
#
#   bash tools/kde.sh [--screen 1920x1080] build/src/Nurvelo [ARGS] <<'EOF'
#   key F11               presses keys in turn: F11, Escape, ctrl+plus, ctrl+minus, Tab, space
#   shot full.png         saves the whole screen
#   place                 prints the window's frame (title bar and borders too), X Y W H, then
#                         the same of all it draws
#   platform              prints how the window is shown: x11 (through Xwayland) or wayland
#   wait 2                waits that many seconds
#   eval JS               prints what a KWin script makes of JS (harness.window() is the window)
#   EOF
#
# KWin places new windows at the top left corner here. Keys go through KWin's fake input, with a
# small client built on the way (tools/kwin-keys.c). Exits 77 where a tool is missing.
# shellcheck disable=SC2317 # the functions are called through waitfor
set -u
here=$(cd "$(dirname "$0")" && pwd)/$(basename "$0")
waitfor() { for _ in $(seq "$1"); do "${@:2}" && return; sleep 0.1; done; false; }
screen=1920x1080
[ "${1:-}" != --screen ] || { screen=$2 && shift 2; }
protocol=/usr/share/plasma-wayland-protocols/fake-input.xml

if [ "${1:-}" != --own-processes ]; then
    for tool in kwin_wayland Xwayland dbus-daemon gdbus wayland-scanner cc python3 unshare; do
        command -v $tool >/dev/null || { echo "skipped: $tool is not installed" >&2; exit 77; }
    done
    [ -e $protocol ] || { echo "skipped: plasma-wayland-protocols is not installed" >&2; exit 77; }
    PATH=/usr/local/bin:/usr/bin:/bin python3 -c 'import dbus' 2>/dev/null ||
        { echo "skipped: python3-dbus is not installed" >&2; exit 77; }
    [ $# -gt 0 ] || { echo "usage: $0 [--screen WxH] PROGRAM [ARGS]" >&2; exit 2; }
    # Whatever KWin and the program leave running ends with this process namespace.
    exec unshare --pid --fork --mount-proc --kill-child=TERM bash "$here" --screen "$screen" \
        --own-processes "$@"
fi
shift

scratch=$(mktemp -d) && trap 'rm -rf "$scratch"' EXIT && trap 'exit 1' INT TERM HUP
mkdir -p "$scratch/home/.config" "$scratch/run" && chmod 700 "$scratch/run"
wayland-scanner client-header $protocol "$scratch/fake-input.h" &&
    wayland-scanner private-code $protocol "$scratch/fake-input.c" &&
    cc -I"$scratch" -o "$scratch/keys" "$(dirname "$here")/kwin-keys.c" "$scratch/fake-input.c" \
        -lwayland-client || exit 1
# KWin holds a file capability to raise its limits, which a container may refuse: a plain copy.
cp "$(command -v kwin_wayland)" "$scratch/kwin_wayland"
printf '[Windows]\nPlacement=ZeroCornered\n' >"$scratch/home/.config/kwinrc"

# Its screenshots, its fake input and its scripts' output for anyone, without a desktop file
# that grants them.
session=(env -i PATH=/usr/local/bin:/usr/bin:/bin HOME="$scratch/home" USER="$(id -un)" LANG=C.UTF-8
    XDG_RUNTIME_DIR="$scratch/run" XDG_SESSION_TYPE=wayland XDG_CURRENT_DESKTOP=KDE
    KDE_FULL_SESSION=true WAYLAND_DISPLAY=wayland-nurvelo
    DBUS_SESSION_BUS_ADDRESS="unix:path=$scratch/run/bus"
    KWIN_SCREENSHOT_NO_PERMISSION_CHECKS=1 KWIN_WAYLAND_NO_PERMISSION_CHECKS=1
    QT_LOGGING_RULES='js.debug=true;kwin_scripting.debug=true')
"${session[@]}" dbus-daemon --session --address="unix:path=$scratch/run/bus" --nofork --nopidfile \
    >/dev/null 2>&1 &
waitfor 100 test -S "$scratch/run/bus" || exit 1
in_session() { "${session[@]}" "$@"; }
# Programs KWin starts learn where Xwayland is; this one only tells.
# shellcheck disable=SC2016 # expanded by that program
printf '#!/bin/sh\necho "$DISPLAY $XAUTHORITY" >%s/x11\n' "$scratch" >"$scratch/tell" &&
    chmod +x "$scratch/tell"
"${session[@]}" "$scratch/kwin_wayland" --virtual --width "${screen%x*}" --height "${screen#*x}" \
    --xwayland --no-lockscreen --socket wayland-nurvelo "$scratch/tell" >"$scratch/kwin.log" 2>&1 &
kwin=$!
if ! waitfor 300 test -s "$scratch/x11"; then
    echo "KWin did not start:" >&2
    tail -n 20 "$scratch/kwin.log" >&2
    exit 1
fi
read -r display xauthority <"$scratch/x11"

# What a KWin script prints of JS, as a string.
evaluate() {
    local name=harness$RANDOM id
    cat >"$scratch/$name.js" <<EOF
// KWin 5 lists clients, KWin 6 windows.
const windows = workspace.windowList ? workspace.windowList() : workspace.clientList();
const harness = {window: () => windows.find(window => window.pid === $program)};
print("$name " + ($1));
EOF
    id=$(in_session gdbus call --session --dest org.kde.KWin --object-path /Scripting \
        --method org.kde.kwin.Scripting.loadScript "$scratch/$name.js" "$name") || return 1
    id=${id//[^0-9]/}
    # KWin 5 names its scripts' objects by number alone.
    in_session gdbus call --session --dest org.kde.KWin --object-path "/Scripting/Script$id" \
        --method org.kde.kwin.Script.run >/dev/null 2>&1 ||
        in_session gdbus call --session --dest org.kde.KWin --object-path "/$id" \
            --method org.kde.kwin.Script.run >/dev/null || return 1
    waitfor 50 grep -q -a "$name " "$scratch/kwin.log"
    grep -a -o "$name .*" "$scratch/kwin.log" | head -n 1 | cut -d ' ' -f 2-
    in_session gdbus call --session --dest org.kde.KWin --object-path /Scripting \
        --method org.kde.kwin.Scripting.unloadScript "$name" >/dev/null
}
screenshot() {
    in_session python3 - "$1" <<'EOF'
import dbus, os, subprocess, sys
read, write = os.pipe()
kwin = dbus.SessionBus().get_object('org.kde.KWin', '/org/kde/KWin/ScreenShot2')
screenshots = dbus.Interface(kwin, 'org.kde.KWin.ScreenShot2')
told = screenshots.CaptureActiveScreen({}, dbus.types.UnixFd(write))
os.close(write)
with os.fdopen(read, 'rb') as pipe:
    pixels = pipe.read()
# 32 bits a pixel, the alpha byte first in memory as little-endian ARGB.
subprocess.run(['convert', '-size', f"{told['stride'] // 4}x{told['height']}", '-depth', '8',
                'bgra:-', '-crop', f"{told['width']}x{told['height']}+0+0", '-alpha', 'off',
                sys.argv[1]], input=pixels, check=True)
EOF
}

# What the program prints goes to standard error, apart from what is asked for.
"${session[@]}" DISPLAY="$display" XAUTHORITY="$xauthority" "$@" >&2 &
program=$!
trap 'kill $program $kwin 2>/dev/null; wait $program $kwin; rm -rf "$scratch"' EXIT
shown() {
    [ "$(evaluate 'harness.window() ? harness.window().active : false' 2>/dev/null)" = true ]
}
waitfor 300 shown || { echo "no window of $1 got the keyboard" >&2; exit 1; }
sleep 2

declare -A codes=([ctrl]=29 [shift]=42 [alt]=56 [super]=125 [plus]=42+13 [minus]=12 [F11]=87
    [Escape]=1 [Tab]=15 [space]=57 [Return]=28)
while read -r command argument; do
    case $command in
    key)
        for combination in $argument; do
            keys=()
            for name in ${combination//+/ }; do keys+=("${codes[$name]:?no key $name}"); done
            in_session "$scratch/keys" "$(IFS=+ && echo "${keys[*]}")"
        done
        sleep 1
        ;;
    shot)
        # An effect takes them, which needs OpenGL: KWin 6 has it only with a GPU.
        [ "$(in_session gdbus call --session --dest org.kde.KWin --object-path /Effects \
            --method org.kde.kwin.Effects.isEffectSupported screenshot)" = "(true,)" ] ||
            { echo "skipped: KWin takes no screenshots without OpenGL" >&2; exit 77; }
        screenshot "$argument"
        ;;
    place)
        # shellcheck disable=SC2016 # JS
        evaluate '[harness.window().frameGeometry, harness.window().bufferGeometry]
            .map(rect => `${rect.x} ${rect.y} ${rect.width} ${rect.height}`).join("  ")'
        ;;
    platform) evaluate 'harness.window().windowId ? "x11" : "wayland"' ;;
    wait) sleep "$argument" ;;
    eval) evaluate "$argument" ;;
    *) echo "unknown command: $command" >&2 ;;
    esac
done
