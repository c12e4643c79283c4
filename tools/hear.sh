#!/bin/bash
# Runs a program as a blind user's desktop would, with the Orca screen reader, on a virtual
# screen; presses the keys given on standard input, one xdotool command a line, a second apart;
# and prints everything Orca said.
#
#   bash tools/hear.sh build/src/Nurvelo <<< 'key Tab space'
#
# Exits 77 where a tool is missing (`tools/dev.sh test` installs them).
# shellcheck disable=SC2317 # the functions are called through waitfor
set -u
program=$1
waitfor() { for _ in $(seq 100); do "$@" && return; sleep 0.1; done; }
case "${2:-}" in
"")
    for tool in Xvfb dbus-run-session dbus-send openbox orca xdotool unshare; do
        command -v $tool >/dev/null || { echo "skipped: $tool is not installed" >&2; exit 77; }
    done
    # Orca will not start beside another Orca of the same user, and its --replace kills every
    # other one. In a process namespace of its own, this desktop's Orca sees no other.
    [ "$(id -u)" -eq 0 ] || user=--map-root-user
    own="unshare ${user:-} --pid --fork --mount-proc"
    $own true 2>/dev/null || own=
    [ -n "$own" ] || ! pgrep -u "$(id -u)" -x orca >/dev/null ||
        { echo "skipped: an Orca is running" >&2; exit 77; }
    exec $own bash "$0" "$program" --own-processes
    ;;
--own-processes)
    scratch=$(mktemp -d) && mkdir "$scratch/home" "$scratch/run" && chmod 700 "$scratch/run"
    trap 'rm -rf "$scratch"' EXIT
    # Without -noreset the screen resets whenever its last client leaves, refusing new ones.
    Xvfb -displayfd 3 -nolisten tcp -noreset 3>"$scratch/display" 2>/dev/null & xvfb=$!
    waitfor test -s "$scratch/display"
    # Speech stays on, so Orca says everything it would, but no speech server can start to play
    # it: a screen reader switched to braille only says nothing in the log either.
    env -u SPEECHD_ADDRESS SPEECHD_CMD=/nonexistent HOME="$scratch/home" \
        XDG_RUNTIME_DIR="$scratch/run" LC_ALL=C.UTF-8 DISPLAY=:"$(cat "$scratch/display")" \
        dbus-run-session -- bash "$0" "$program" --in-session 2>/dev/null
    status=$?; kill $xvfb; exit $status
    ;;
esac

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
orca -d braille --debug-file="$HOME/orca.log" & orca=$!
trap 'kill $pids $orca $shown 2>/dev/null' EXIT
waitfor listening
QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 "$program" & shown=$!
# Any window of the program (the pattern "." matches every name), once it is shown.
timeout 20 xdotool search --sync --onlyvisible --pid $shown . windowactivate --sync >/dev/null
# shellcheck disable=SC2086 # each line is an xdotool command with its arguments
while read -r keys; do xdotool $keys; sleep 1; done
sleep 2
# Orca writes its log out as it ends, and handles the signal only once an event wakes it: here
# the window going away.
kill $orca $shown
waitfor test ! -d /proc/$orca
grep -o "SPEECH OUTPUT: '[^']*'" "$HOME/orca.log" | sed "s/^SPEECH OUTPUT: '//; s/'$//"
