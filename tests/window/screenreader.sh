#!/bin/bash
# What Orca says while a blind child works Nurvelo from the keyboard: Orca runs as on a desktop,
# on a virtual screen; xdotool presses the keys, Orca's log holds every utterance.
#   screenreader.sh NURVELO SCRATCH_DIRECTORY     (exits 77, skipped, when a tool is missing)
# shellcheck disable=SC2317 # the functions are called through waitfor
set -u
program=$1 scratch=$2
waitfor() { for _ in $(seq 100); do "$@" && return; sleep 0.1; done; }
if [ "${3:-}" != --in-session ]; then
    for tool in Xvfb dbus-run-session dbus-send openbox orca xdotool; do # orca brings at-spi2-core
        command -v $tool >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
    done
    # Orca will not start beside another one, and --replace would kill the user's own.
    pgrep -u "$(id -u)" -x orca >/dev/null && { echo "skipped: an Orca is running"; exit 77; }
    rm -rf "$scratch" && mkdir -p "$scratch/home" "$scratch/run" && chmod 700 "$scratch/run"
    # Without -noreset the screen resets whenever its last client leaves, refusing new ones.
    Xvfb -displayfd 3 -nolisten tcp -noreset 3>"$scratch/display" 2>/dev/null & xvfb=$!
    waitfor test -s "$scratch/display"
    export HOME=$scratch/home XDG_RUNTIME_DIR=$scratch/run LC_ALL=C.UTF-8
    DISPLAY=:$(cat "$scratch/display") dbus-run-session -- bash "$0" "$@" --in-session 2>/dev/null
    status=$?; kill $xvfb; exit $status
fi

# Each part starts once the one before is there: Orca hears only what happens after it has asked
# the registry for it, and the window gets the keyboard only from a window manager.
owned() { dbus-send --session --print-reply --dest=org.freedesktop.DBus / \
    org.freedesktop.DBus.NameHasOwner string:org.a11y.Bus | grep -q true; }
listening() { dbus-send --bus="${bus// /}" --print-reply --dest=org.a11y.atspi.Registry \
    /org/a11y/atspi/registry org.a11y.atspi.Registry.GetRegisteredEvents | grep -q Showing; }
/usr/libexec/at-spi-bus-launcher --launch-immediately >/dev/null & pids=$!
openbox >/dev/null & pids+=" $!"
waitfor owned && waitfor xdotool get_desktop >/dev/null
bus=$(dbus-send --session --print-reply=literal --dest=org.a11y.Bus /org/a11y/bus \
    org.a11y.Bus.GetAddress)
orca -d speech -d braille --debug-file="$scratch/orca.log" & orca=$!
trap 'kill $pids $orca $nurvelo 2>/dev/null' EXIT
waitfor listening
QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 "$program" & nurvelo=$!
timeout 20 xdotool search --sync --onlyvisible --name '^Nurvelo$' windowactivate --sync

# Orca is slow: a key every 0.3 s, and a second after each click. A highlight lasts 0.4 s.
press() { xdotool key --delay 300 "$@"; sleep 1; }
xdotool type --delay 300 999
press Tab space # OK
expected=("Zähler 999")
press Tab Tab Tab Tab # to Einer +
# The second click comes within the first one's highlight; the row is told once both are done.
xdotool key --delay 150 space space
expected+=("Einer 0" "Einer 1" "Zehner 0" "Hunderter 0" "Tausender 1" "Zähler 1001")
press Tab Tab Tab Tab Tab Tab Tab Tab Tab Tab space # Einer up arrow
expected+=("Geht nicht, keine Einer in der Hilfszahl")
press Tab Tab Tab Tab space # Einer down arrow
expected+=("Einer 0" "Hilfszahl Einer 1" "Zähler 1000, Hilfszahl 1")
sleep 2

# Orca writes its log out as it ends, and handles the signal only once an event wakes it: here
# the window going away.
kill $orca $nurvelo
waitfor test ! -d /proc/$orca
heard=$(grep -o "SPEECH OUTPUT: 'notification [^']*'" "$scratch/orca.log" |
    sed "s/^SPEECH OUTPUT: 'notification //; s/\.'$//")
[ "$heard" = "$(printf '%s\n' "${expected[@]}")" ] && exit 0
echo "Orca should have said, each after \"notification\":"; printf '    %s\n' "${expected[@]}"
echo "Orca said:"; grep -o "SPEECH OUTPUT: '[^']*'" "$scratch/orca.log" | sed 's/^/    /'
exit 1
