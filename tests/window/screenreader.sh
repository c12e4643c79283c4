#!/bin/bash
# What Orca says of a carry with a second press 60 ms into its highlight, another place pressed
# as fast, a refused click, a transfer and both rows asked for with F2; Orca 43 says
# "notification Zähler 999.", Orca 48 "Zähler 999". Skipped (77) without Orca.
#   screenreader.sh NURVELO
heard=$(bash "$(dirname "$0")/../harness/hear.sh" "$1" <<<"type --delay 300 999
key --delay 300 Tab space Tab Tab Tab Tab
key --delay 60 space space
key --delay 300 shift+Tab
key --delay 60 space space
key --delay 300 Tab Tab Tab Tab Tab Tab Tab Tab Tab Tab Tab space Tab Tab Tab Tab space
key F2") || exit $?
place='(Hilfszahl )?(Einer|Zehner|Hunderter|Tausender) [0-9]+'
said=$(grep -E "^(notification )?($place|Zähler [0-9]+(, Hilfszahl [0-9]+)?|Geht nicht, .*)\.?$" \
    <<<"$heard" | sed -E 's/^notification //; s/\.$//' | paste -sd '/')
# The row is told once a click and the one that came during its highlight are both done.
[ "$said" = "$(paste -sd / "$(dirname "$0")/lesson.txt")" ] || { printf 'Orca said:\n%s\n' "$heard"; exit 1; }
