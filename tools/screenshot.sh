#!/usr/bin/env bash
# Takes the README's pictures of the window: docs/screenshot.png at its own size and
# docs/screenshot-2x.png at twice the size, as on a classroom projector.
#
#   bash tools/screenshot.sh [program]     (default: build/src/Nurvelo)
#
# Needs xvfb, xauth and imagemagick. There is no window manager on the virtual screen, so the
# window sits at 0,0 without a frame, and the picture is the screen cut to the window's size.
set -euo pipefail
cd "$(dirname "$0")/.."

program=$(realpath "${1:-build/src/Nurvelo}")
[ -x "$program" ] || { echo "no program at $program; build it first" >&2; exit 1; }
mkdir -p docs

shoot() {
    local scale=$1 width=$2 height=$3 out=$4
    # shellcheck disable=SC2016 # the inner script expands its own arguments
    QT_QPA_PLATFORM=xcb QT_SCALE_FACTOR=$scale xvfb-run -a -s "-screen 0 1600x1000x24" \
        bash -c '
        program=$1 size=$2 out=$3
        "$program" &
        pid=$!
        trap "kill $pid 2>/dev/null" EXIT
        # The window is drawn once its apricot ground shows in the top left corner. The X
        # server starts black, and the program draws the whole window at once.
        for _ in $(seq 100); do
            sleep 0.1
            import -window root -crop "$size+0+0" +repage "$out.part.png"
            [ "$(identify -format "%[pixel:p{2,2}]" "$out.part.png")" = "srgb(255,224,192)" ] &&
                break
        done
        # One more look, in case the first frame was still being put on the screen.
        sleep 0.5
        import -window root -crop "$size+0+0" +repage -strip "$out.part.png"
        [ "$(identify -format "%[pixel:p{2,2}]" "$out.part.png")" = "srgb(255,224,192)" ] ||
            { echo "the window did not show" >&2; exit 1; }
        mv "$out.part.png" "$out"
        ' shoot "$program" "${width}x${height}" "$out"
    identify "$out"
}

shoot 1 685 369 docs/screenshot.png
shoot 2 1370 738 docs/screenshot-2x.png
