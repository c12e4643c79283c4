#!/bin/bash
# Nurvelo as GNOME's Wayland session starts it (tests/harness/gnome.sh): through Xwayland as it
# chooses, then forced onto Wayland with Qt's own title bar, which goes and comes back with full
# screen. Every step's headings and digit cells are painted; through Xwayland the window stays
# wholly on the screen. 77 without GNOME Shell.   on_wayland.sh NURVELO
set -u
dir=$(mktemp -d) && trap 'rm -rf "$dir"' EXIT
# From a folder only its owner may enter, as a checkout in root's home.
cp "$1" "$dir/Nurvelo" && set -- "$dir/Nurvelo"
# A key and the zoom it leaves; 300 % does not fit.
steps=$(printf '%s\n' '- 100' 'ctrl+plus 125' 'ctrl+plus 150' 'ctrl+plus 175' 'ctrl+plus 200' \
    'ctrl+plus 250' 'ctrl+plus 250' 'F11 full' 'Escape 250')
# In twips: the four headings, then the middle of each digit cell.
regions="840,480,1212,252 2400,480,1212,252 3840,480,1092,252 5280,480,1092,252 $(
    for top in 1158 4038; do for left in 1161 2601 4041 5481; do echo "$left,$top,402,396"; done; done)"
measures=$(printf '%%[fx:int(255*%s)],' minima.g maxima.r maxima.g maxima.b) failed=0
# Natively GNOME keeps the top left corner of a window that grows, even past the screen's edge,
# and a Wayland program cannot move itself: only the pixels are checked there.
for pass in "x11 " "wayland QT_QPA_PLATFORM=wayland"; do
    read -r platform forced <<<"$pass" && n=0
    { echo platform
        awk -v dir="$dir" '{ print "key " ($1 == "-" ? "" : $1) "\nplace\nshot " dir "/" NR ".png" }' <<<"$steps"
    } | bash "$(dirname "$0")/../harness/gnome.sh" env ${forced:+"$forced"} "$1" >"$dir/told" || exit
    [ "$(head -n 1 "$dir/told")" = "$platform" ] || { echo "not shown through $platform"; failed=1; }
    while read -r key zoom fx fy fw fh bx by bw bh; do
        # The layout's scale as a fraction, and its top left corner below what frames it.
        if [ "$zoom" = full ]; then num=$bw den=10272; else num=$zoom den=1500; fi
        px() { echo $((($1 * num + den / 2) / den)); }
        side=$(((bw - $(px 10272)) / 2)) && x=$((bx + side)) y=$((by + bh - $(px 5532) - side))
        [ "$zoom" != full ] || y=$(((bh - $(px 5532)) / 2))
        crops=() shot=$dir/$((++n)).png i=0 step="$platform, $key to $zoom"
        for region in $regions; do IFS=, read -r l t w h <<<"$region"
            crops+=('(' -clone 0 -crop "$(px "$w")x$(px "$h")+$((x + $(px "$l")))+$((y + $(px "$t")))" ')')
        done
        read -ra seen < <(convert "$shot" "${crops[@]}" -delete 0 -format "$measures " info:)
        [ ${#seen[@]} -eq 12 ] || { echo "$step: no screenshot"; failed=1; }
        for colours in "${seen[@]}"; do
            IFS=, read -r low r g b <<<"$colours"
            # Dark text on apricot (255, 224, 192); green digits on black.
            ((i++ < 4 ? low < 100 && r > 245 && g > 214 && g < 234 && b > 182 && b < 202
                : low < 30 && r < 80 && g > 200 && b < 80)) ||
                { echo "$step: region $i unpainted, darkest green and brightest $colours"; failed=1; }
        done
        whole=$((fx >= 0 && fy >= 0 && fx + fw <= 1920 && fy + fh <= 1080))
        [ "$zoom" != full ] || whole=$((whole && fw == 1920 && fh == 1080))
        [ "$platform" != x11 ] || ((whole)) || { echo "$step: off the screen at $fx $fy $fw $fh"; failed=1; }
    done < <(tail -n +2 "$dir/told" | paste -d ' ' <(echo "$steps") -)
done
exit $failed
