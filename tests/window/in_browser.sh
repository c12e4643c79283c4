#!/bin/bash
# The web page in Chromium and in WebKit (tools/browse.py): every control in the accessibility
# tree with its role, name and description; the lesson the screen reader test hears, given by
# mouse, finger, keys and a screen reader's activation, with a press 60 ms into a highlight, heard
# in the page's live region in order; each cell of a carry red for 0.4 s in turn; keys that move
# the focus and click once; a turned tablet; and the page again without its web server.
set -u # in_browser.sh PAGE
fail() { printf '%s: %s\n%s\n' "$browser" "$1" "$seen"; exit 1; }
for browser in chromium webkit; do
    for attempt in first second; do
        seen=$(xvfb-run -a python3 "$(dirname "$0")/../../tools/browse.py" $browser "$1" <<'EOF2'
focus
tree
type 999
activate cmd_ok
click cmd_Einer_plus
wait 60
click cmd_Einer_plus
wait 2500
lit
tap cmd_Zehner_plus
wait 60
tap cmd_Zehner_plus
wait 1500
activate cmd_Einer_add_plus
activate cmd_Einer_add_minus
wait 1500
size 800x1200
wait 500
click cmd_Zehner_minus
wait 600
focus
key SPACE
wait 600
key SHIFT+TAB
focus
key RETURN
wait 1000
activate cmd_Einer_plus
activate cmd_Einer_plus
wait 1000
said
rows
offline
insert 12345
activate cmd_ok
wait 300
rows
EOF2
) && break
        # 75: the browser's own drawing stopped its web process (tools/browse.py); once more.
        [ $? -eq 75 ] && [ $attempt = first ] || fail "the browser stopped"
    done
    tree=$(grep '^[a-z]*_.*|.*|.*|' <<<"$seen")
    [ "$(cut -d '|' -f 2 <<<"$tree" | sort | uniq -c | tr -s ' ' | paste -sd ,)" = \
        " 12 StaticText, 20 button, 2 textbox" ] && ! grep -q '||\||$' <<<"$tree" || fail "tree"
    for line in 'lbl_Tausender_Text|StaticText|Tausender|Überschrift der Spalte Tausender' \
        'lbl_Einer_add|StaticText|0|Einer der Hilfszahl' \
        'txt_Eingabe|textbox|Eingabe für den Zähler|Eine Zahl mit bis zu vier Zeichen. OK setzt den Zähler auf diese Zahl.' \
        'cmd_Einer_add_minus|button|Eine Einheit Einer vom Zähler in die Hilfszahl|Roter Pfeil nach unten: nimmt dem Zähler einen Einer weg und zählt ihn zur Hilfszahl dazu.'; do
        grep -qxF "$line" <<<"$tree" || fail "not in the tree: $line"
    done
    [ "$(grep '^lbl_[A-Za-z]* [0-9]* [0-9]*$' <<<"$seen" | awk '$3 < 400 { print "short" } { print $1 }' | paste -sd ' ')" = \
        "lbl_Einer lbl_Zehner lbl_Hunderter lbl_Tausender" ] || fail "lit"
    [ "$(grep -Ex '(txt|cmd)_[A-Za-z_]*' <<<"$seen" | paste -sd ' ')" = \
        "txt_Eingabe cmd_Zehner_minus cmd_Hunderter_minus" ] || fail "focus"
    [ "$(sed -n 's/^log|//p' <<<"$seen")" = "$(cat "$(dirname "$0")/lesson.txt")
Zehner 1
Zähler 1010
Zehner 0
Zähler 1000
Hunderter 9
Tausender 0
Zähler 900
Einer 1
Einer 2
Zähler 902" ] || fail "said"
    [ "$(grep -E '^(-?[0-9]+ ){7}[0-9]+$|^kept:' <<<"$seen" | paste -sd /)" = \
        "0 9 0 2 0 0 0 1/kept: True/1 2 3 4 0 0 0 0" ] || fail "rows"
done
