#!/bin/bash
# What Orca says while a blind child works Nurvelo from the keyboard: after a carry with a click
# during its first highlight, a refused click and a transfer. Skipped (77) without Orca.
#   screenreader.sh NURVELO
heard=$(bash "$(dirname "$0")/../../tools/hear.sh" "$1" <<'KEYS'
type --delay 300 999
key --delay 300 Tab space
key --delay 300 Tab Tab Tab Tab
key --delay 150 space space
key --delay 300 Tab Tab Tab Tab Tab Tab Tab Tab Tab Tab space
key --delay 300 Tab Tab Tab Tab space
KEYS
) || exit $?
# The row is told once a click and the one that came during its highlight are both done.
expected=$(printf '%s\n' "Zähler 999" "Einer 0" "Einer 1" "Zehner 0" "Hunderter 0" "Tausender 1" \
    "Zähler 1001" "Geht nicht, keine Einer in der Hilfszahl" "Einer 0" "Hilfszahl Einer 1" \
    "Zähler 1000, Hilfszahl 1")
[ "$(grep "^notification " <<<"$heard" | sed 's/^notification //; s/\.$//')" = "$expected" ] &&
    exit 0
echo "Orca should have said, each after \"notification\":"; sed 's/^/    /' <<<"$expected"
echo "Orca said:"; sed 's/^/    /' <<<"$heard"
exit 1
