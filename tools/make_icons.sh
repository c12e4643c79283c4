#!/bin/sh
# Draws the program icon from src/window/pictures/nurvelo.svg: the PNG sizes for Qt, the Linux
# desktop and the web page, and nurvelo.ico for Windows: 32 px in 2 and in 16 colours, 16 px in
# 16 colours as in the first release, and 48, 64 and 256 px for Explorer's large views and
# screens set above 100 %.
# Needs librsvg2-bin, imagemagick and icoutils. Run it after changing the SVG and commit the result.
set -eu
cd "$(dirname "$0")/../src/window/pictures"
mono=$(mktemp --suffix=.png) large=$(mktemp --suffix=.png)
trap 'rm -f "$mono" "$large"' EXIT

# rsvg-convert, not ImageMagick's own SVG reader, which loses some of the fills.
for size in 16 32 48 64; do
    rsvg-convert --width=$size --height=$size nurvelo.svg --output=nurvelo_$size.png
done
# For two-colour screens only the outline stays: title strip white, the line under it black,
# no shadow. icotool picks each image's colour depth from the colours it holds.
convert nurvelo_32.png -fill white -opaque '#00ffff' -fill black -opaque '#c0c0c0' \
    -transparent '#808080' "$mono"
rsvg-convert --width=256 --height=256 nurvelo.svg --output="$large"
# The largest stays a PNG inside the icon, as Windows expects at that size.
icotool --create --output=nurvelo.ico "$mono" nurvelo_32.png nurvelo_16.png nurvelo_48.png \
    nurvelo_64.png --raw="$large"

# The web page's icons for tablets' home screens and the browser's app list: on the window's
# apricot ground, as tablets put icons on tiles of their own, with room around it for the round
# or rounded shapes they cut those tiles to.
for size in 192:160 512:416; do
    rsvg-convert --width=${size#*:} --height=${size#*:} nurvelo.svg |
        convert - -background '#ffe0c0' -gravity center -extent "${size%:*}x${size%:*}" \
            -flatten -strip "nurvelo_${size%:*}.png"
done
