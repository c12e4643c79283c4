#!/bin/bash
# Runs a program in a GNOME Shell of its own without a screen (Wayland, with Xwayland), started
# as GNOME starts programs, and does what standard input says, a command a line, each key and
# the start followed by a pause for drawing:
#   key F11 ctrl+plus  presses keys in turn     shot FILE  saves the screen, 1920 x 1080
#   place              the window's frame, X Y W H, then all it draws (shadows too)
#   platform           how the window is shown: x11 (through Xwayland) or wayland
# As root the shell runs as nobody (GNOME warns over the screen's top when it runs as root), the
# program as root, which may lie in a home no one else can read. 77 where a tool is missing.
set -u
. "$(dirname "$0")/session.sh"
need gnome-shell Xwayland dbus-daemon gdbus unshare setpriv
[ $# -gt 0 ] || { echo "usage: $0 PROGRAM [ARGS]" >&2; exit 2; }
own_processes "$@"
as_user=()
if [ "$(id -u)" -eq 0 ]; then
    as_user=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
    # Xwayland's sockets go here, made at boot as a desktop system does; a chroot has none.
    install -d -m 1777 -o root -g root /tmp/.X11-unix
fi

# The document portal mounts its files in the runtime folder.
clean() { umount -l "$run/doc" 2>/dev/null; rm -rf "$scratch"; }
trap clean EXIT && trap 'exit 1' INT TERM HUP
data=$scratch/data
mkdir -p "$home/.local/share/gnome-shell" "$data/gnome-shell/modes" \
    "$data/gnome-shell/extensions/harness@nurvelo"
# Else GNOME Shell tells at the first start, over the top of the screen, that it cannot lock it.
touch "$home/.local/share/gnome-shell/lock-warning-shown"

# The shell's Eval and Screenshot answer anyone only in unsafe mode, which no option sets: a
# session mode turns it on through an extension of its own.
major=$(gnome-shell --version | grep -o '[0-9]*' | head -n 1)
cat >"$data/gnome-shell/modes/nurvelo.json" <<'EOF'
{"parentMode": "user", "enabledExtensions": ["harness@nurvelo"], "showWelcomeDialog": false}
EOF
cat >"$data/gnome-shell/extensions/harness@nurvelo/metadata.json" <<EOF
{"uuid": "harness@nurvelo", "name": "harness", "description": "Eval for tests", "shell-version": ["$major"]}
EOF
extension() {
    cat <<'EOF'
class Harness {
    enable() {
        global.context.unsafe_mode = true;
        // Its notice would cover the top of the screen.
        Main.messageTray.getSources().forEach(source => source.destroy());
        const seat = Clutter.get_default_backend().get_default_seat();
        const keyboard = seat.create_virtual_device(Clutter.InputDeviceType.KEYBOARD_DEVICE);
        const modifiers = {ctrl: 'Control_L', shift: 'Shift_L', alt: 'Alt_L', super: 'Super_L'};
        const windows = () => global.get_window_actors().map(actor => actor.meta_window);
        globalThis.harness = {
            pid: 0,
            ready: () => !Main.layoutManager._startingUp && !Main.overview.visible,
            environment: () => ['DISPLAY', 'XAUTHORITY'].map(name => GLib.getenv(name) ?? ''),
            window: () => windows().find(window => window.get_pid() === harness.pid),
            focused: () => harness.window()?.has_focus() ?? false,
            // Keys as 'ctrl+plus': held in turn, let go in reverse.
            key(combination) {
                const keyvals = combination.split('+').map(name => {
                    const keyval = Clutter[`KEY_${modifiers[name] ?? name}`];
                    if (keyval === undefined)
                        throw new Error(`no key ${name}`);
                    return keyval;
                });
                for (const keyval of keyvals)
                    keyboard.notify_keyval(GLib.get_monotonic_time(), keyval, Clutter.KeyState.PRESSED);
                for (const keyval of keyvals.reverse())
                    keyboard.notify_keyval(GLib.get_monotonic_time(), keyval, Clutter.KeyState.RELEASED);
            },
            // The frame as the program tells it, then what it draws; a program drawing its own
            // title bar may tell it wrong.
            place() {
                return [harness.window().get_frame_rect(), harness.window().get_buffer_rect()]
                    .map(rect => `${rect.x} ${rect.y} ${rect.width} ${rect.height}`).join('  ');
            },
        };
    }

    disable() {}
}
EOF
}
# GNOME 45 and later load extensions as modules.
if [ "$major" -ge 45 ]; then
    cat <<'EOF'
import Clutter from 'gi://Clutter';
import GLib from 'gi://GLib';
import * as Main from 'resource:///org/gnome/shell/ui/main.js';
EOF
    extension | sed 's/^class Harness/export default class Harness/'
else
    cat <<'EOF'
const {Clutter, GLib} = imports.gi;
const Main = imports.ui.main;
function init() { return new Harness(); }
EOF
    extension
fi >"$data/gnome-shell/extensions/harness@nurvelo/extension.js"

# Without a system bus of its own the shell aborts where systemd's seats are to be seen, looking
# for a seat it has not got. Both buses let anyone in: the program may run as another user.
for bus in system session; do
    cat >"$scratch/$bus.conf" <<EOF
<busconfig>
  <type>$bus</type>
  <listen>unix:path=$run/${bus}_bus</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow user="*"/><allow own="*"/><allow send_destination="*"/><allow receive_sender="*"/>
  </policy>
</busconfig>
EOF
done
[ ${#as_user[@]} -eq 0 ] || chown -R nobody:nogroup "$scratch"
session=(env -i PATH=/usr/local/bin:/usr/bin:/bin HOME="$home" USER=nurvelo LANG=C.UTF-8
    XDG_RUNTIME_DIR="$run" XDG_DATA_DIRS="$data:/usr/local/share:/usr/share"
    XDG_SESSION_TYPE=wayland XDG_CURRENT_DESKTOP=GNOME WAYLAND_DISPLAY=wayland-nurvelo
    DBUS_SESSION_BUS_ADDRESS="unix:path=$run/session_bus"
    DBUS_SYSTEM_BUS_ADDRESS="unix:path=$run/system_bus")
# In the background, the process it starts is $! itself.
in_session() { exec "${as_user[@]}" "${session[@]}" "$@"; }

for bus in system session; do
    (in_session dbus-daemon --config-file="$scratch/$bus.conf" --nofork --nopidfile >/dev/null 2>&1) &
done
waitfor 100 test -S "$run/session_bus" && waitfor 100 test -S "$run/system_bus" || exit 1
(cd "$scratch" && in_session gnome-shell --wayland --headless --virtual-monitor 1920x1080 \
    --wayland-display=wayland-nurvelo --mode=nurvelo >"$scratch/shell.log" 2>&1) &
shell=$!

# The result of JS in the shell, as it would print: a string without its quotes.
evaluate() {
    local answer
    answer=$( (in_session gdbus call --session --dest org.gnome.Shell --object-path /org/gnome/Shell \
        --method org.gnome.Shell.Eval "$1") 2>&1) && [[ $answer == "(true, '"* ]] ||
        { echo "$answer" >&2; return 1; }
    answer=${answer#"(true, '"} answer=${answer%"')"} answer=${answer#\"} && echo "${answer%\"}"
}
# The shell starts in the overview, and hiding it before the start's animation is over leaves the
# shell starting for ever.
started() {
    [ "$(evaluate 'Main.layoutManager._startingUp || Main.overview.hide(); harness.ready()' \
        2>/dev/null)" = true ]
}
if ! waitfor 600 started; then
    echo "GNOME Shell did not start:" >&2
    tail -n 20 "$scratch/shell.log" >&2
    exit 1
fi
read -r display xauthority <<<"$(evaluate 'harness.environment().join(" ")')"
# X programs learn the fonts' settings from it, as in a GNOME session.
if [ -x /usr/libexec/gsd-xsettings ]; then
    (in_session env DISPLAY="$display" XAUTHORITY="$xauthority" /usr/libexec/gsd-xsettings \
        >/dev/null 2>&1) &
    sleep 1
fi
# What the program prints goes to standard error, apart from what is asked for.
(as_user=() && in_session env DISPLAY="$display" XAUTHORITY="$xauthority" "$@" >&2) &
program=$!
trap 'kill $program $shell 2>/dev/null; wait $program $shell; clean' EXIT
evaluate "harness.pid = $program" >/dev/null
shown() { [ "$(evaluate 'harness.focused()' 2>/dev/null)" = true ]; }
waitfor 300 shown || { echo "no window of $1 got the keyboard" >&2; exit 1; }
sleep 2

while read -r command argument; do
    case $command in
    key)
        for combination in $argument; do evaluate "harness.key('$combination')" >/dev/null; done
        sleep 1
        ;;
    shot)
        (in_session gdbus call --session --dest org.gnome.Shell.Screenshot \
            --object-path /org/gnome/Shell/Screenshot --method org.gnome.Shell.Screenshot.Screenshot \
            false false "$scratch/shot.png" >/dev/null) && cat "$scratch/shot.png" >"$argument"
        ;;
    place) evaluate 'harness.place()' ;;
    platform) evaluate 'harness.window().get_client_type() === 1 ? "x11" : "wayland"' ;;
    *) echo "unknown command: $command" >&2 ;;
    esac
done
