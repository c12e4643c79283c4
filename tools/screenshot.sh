#!/usr/bin/env bash
# Takes the README's pictures of the window on a virtual screen (Xvfb): screenshot.png at the
# window's own size, and screenshot-fullscreen.png as a classroom projector shows it (F11).
#
#   bash tools/screenshot.sh [program [folder]]     (default: build/src/Nurvelo docs)
#
# Needs xvfb, xauth and imagemagick. There is no window manager on the virtual screen, so the
# window sits at 0,0 without a frame, and the picture is the screen cut to the window's size.
set -euo pipefail
cd "$(dirname "$0")/.."

program=$(realpath "${1:-build/src/Nurvelo}")
folder=${2:-docs}
[ -x "$program" ] || { echo "no program at $program; build it first" >&2; exit 1; }
mkdir -p "$folder"

shoot() {
    local size=$1 out=$2
    shift 2
    # shellcheck disable=SC2016 # the inner script expands its own arguments
    QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 ${size}x24" bash -c '
        size=$1 out=$2
        shift 2
        XDG_CONFIG_HOME=$(mktemp -d) "$@" &
        pid=$!
        trap "kill $pid 2>/dev/null" EXIT
        # The window is drawn once its apricot ground shows in two opposite corners. The X
        # server starts black, and the program draws the whole window at once.
        drawn() {
            import -window root -crop "$size+0+0" +repage -strip "$out.part.png"
            [ "$(convert "$out.part.png" -format "%[pixel:p{2,2}] %[pixel:p{w-3,h-3}]" info:)" = \
                "srgb(255,224,192) srgb(255,224,192)" ]
        }
        for _ in $(seq 100); do
            sleep 0.1
            drawn && break
        done
        # One more look, in case the first frame was still being put on the screen.
        sleep 0.5
        drawn || { echo "the window did not show" >&2; exit 1; }
        mv "$out.part.png" "$out"
        ' shoot "$size" "$out" "$@"
    identify "$out"
}

shoot 685x369 "$folder/screenshot.png" "$program" --zoom 100
shoot 1920x1080 "$folder/screenshot-fullscreen.png" "$program" --fullscreen
