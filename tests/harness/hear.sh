#!/bin/bash
# Runs a program with the Orca screen reader on a virtual screen, as a blind user's desktop
# would; presses the keys of standard input (an xdotool command a line, a second apart); prints
# all Orca said. Orca speaks to the speech-dispatcher at $HEAR_VOICE (voice.sh) where set, else
# to nothing, and its log tells what it would say. 77 where a tool is missing.
#   bash tests/harness/hear.sh build/src/Nurvelo [ARGS] <<< 'key Tab space'
# shellcheck disable=SC2317 # the functions are called through waitfor
set -u
. "$(dirname "$0")/session.sh"

# Each part starts once the one before is there: Orca hears only what happens after it has asked
# the registry for it, and the window gets the keyboard only from a window manager.
desktop() {
    owned() { dbus-send --session --print-reply --dest=org.freedesktop.DBus / \
        org.freedesktop.DBus.NameHasOwner string:org.a11y.Bus | grep -q true; }
    listening() { dbus-send --bus="${bus// /}" --print-reply --dest=org.a11y.atspi.Registry \
        /org/a11y/atspi/registry org.a11y.atspi.Registry.GetRegisteredEvents | grep -q Showing; }
    /usr/libexec/at-spi-bus-launcher --launch-immediately >/dev/null 2>&1 & pids=$!
    openbox >/dev/null 2>&1 & pids+=" $!"
    waitfor 100 owned && waitfor 100 xdotool get_desktop >/dev/null || return
    bus=$(dbus-send --session --print-reply=literal --dest=org.a11y.Bus /org/a11y/bus \
        org.a11y.Bus.GetAddress)
    orca -d braille --debug-file="$HOME/orca.log" >/dev/null 2>&1 & orca=$!
    trap 'kill $pids $orca $shown 2>/dev/null' EXIT
    waitfor 100 listening || return
    QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 "$@" >/dev/null 2>&1 & shown=$!
    # Any window of the program (the pattern "." matches every name), once it is shown.
    timeout 20 xdotool search --sync --onlyvisible --pid $shown . windowactivate --sync \
        >/dev/null || { echo "no window of $1 was shown" >&2; return 1; }
    # shellcheck disable=SC2086 # each line is an xdotool command with its arguments
    while read -r keys; do xdotool $keys; sleep 1; done
    sleep 2
    # Orca writes its log out as it ends, and handles the signal only once an event wakes it:
    # here the window going away.
    kill $orca $shown
    waitfor 100 test ! -d /proc/$orca || return
    grep -o "SPEECH OUTPUT: '[^']*'" "$HOME/orca.log" | sed "s/^SPEECH OUTPUT: '//; s/'$//"
}
[ -z "${NURVELO_IN_SESSION:-}" ] || { desktop "$@"; exit; }

need Xvfb dbus-run-session dbus-send openbox orca xdotool unshare
own_processes "$@"
# Without -noreset the screen resets whenever its last client leaves, refusing new ones.
Xvfb -displayfd 3 -nolisten tcp -noreset 3>"$scratch/display" 2>/dev/null & xvfb=$!
waitfor 100 test -s "$scratch/display" || exit 1
# Speech stays on, so Orca says everything it would, but no speech server can start to play it:
# a screen reader switched to braille only says nothing in the log either.
env SPEECHD_ADDRESS="${HEAR_VOICE:-}" SPEECHD_CMD=/nonexistent HOME="$home" XDG_RUNTIME_DIR="$run" \
    LC_ALL=C.UTF-8 DISPLAY=:"$(cat "$scratch/display")" NURVELO_IN_SESSION=1 \
    dbus-run-session -- bash "$0" "$@"
status=$?
kill $xvfb
exit $status
