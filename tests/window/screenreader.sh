#!/bin/bash
# What Orca says of a carry with a second press 60 ms into its highlight, another place pressed
# as fast, a refused click, a transfer and F2 (Orca 43 adds "notification"). In the same run the
# program reads aloud itself (--vorlesen) to a speech-dispatcher of the test's own: the same
# messages in order, one about a cell perhaps left out, nothing after F4.   screenreader.sh NURVELO
set -u
here=$(dirname "$0")
. "$here/../harness/voice.sh"
voice=$(mktemp -d) && voice_start "$voice" && trap 'voice_stop; rm -rf "$voice"' EXIT
heard=$(bash "$here/../harness/hear.sh" env SPEECHD_ADDRESS="$voice_address" \
    XDG_CONFIG_HOME="$voice" "$1" --vorlesen <<<"type --delay 300 999
key --delay 300 Tab space Tab Tab Tab Tab
key --delay 60 space space
key --delay 300 shift+Tab
key --delay 60 space space
key --delay 300 Tab Tab Tab Tab Tab Tab Tab Tab Tab Tab Tab space Tab Tab Tab Tab space
key F2
sleep 5
key --delay 300 F4 F2") || exit $?
place='(Hilfszahl )?(Einer|Zehner|Hunderter|Tausender) [0-9]+'
said=$(grep -E "^(notification )?($place|Zähler [0-9]+(, Hilfszahl [0-9]+)?|Geht nicht, .*)\.?$" \
    <<<"$heard" | sed -E 's/^notification //; s/\.$//' | paste -sd '/')
# The row is told once a click and the one that came during its highlight are both done.
[ "$said" = "$(paste -sd / "$here/lesson.txt")/Zähler 1020, Hilfszahl 1" ] ||
    { printf 'Orca said:\n%s\n' "$heard"; exit 1; }

mapfile -t expected < <(echo "Vorlesen an" && cat "$here/lesson.txt" && echo "Vorlesen aus")
spoken=$(voice_handed "$voice")
at=0
while read -r text; do
    while [ $at -lt ${#expected[@]} ] && [ "${expected[at]}" != "$text" ] &&
        [[ ${expected[at]} =~ ^$place$ ]]; do ((++at)); done
    [ "${expected[at]:-}" = "$text" ] || { printf 'Spoken:\n%s\n' "$spoken"; exit 1; }
    ((++at))
done <<<"$spoken"
[ $at -eq ${#expected[@]} ] || { printf 'Spoken, not to the end:\n%s\n' "$spoken"; exit 1; }
