#!/bin/bash
# What Orca says while a blind child works Nurvelo from the keyboard: a carry with a second press
# 60 ms into its first highlight, another place pressed twice as fast, a refused click and a
# transfer. Skipped (77) without Orca.
#   screenreader.sh NURVELO
heard=$(bash "$(dirname "$0")/../../tools/hear.sh" "$1" <<'KEYS'
type --delay 300 999
key --delay 300 Tab space
key --delay 300 Tab Tab Tab Tab
key --delay 60 space space
key --delay 300 shift+Tab
key --delay 60 space space
key --delay 300 Tab Tab Tab Tab Tab Tab Tab Tab Tab Tab Tab space
key --delay 300 Tab Tab Tab Tab space
KEYS
) || exit $?
# The row is told once a click and the one that came during its highlight are both done.
expected=$(printf '%s\n' "Zähler 999" "Einer 0" "Einer 1" "Zehner 0" "Hunderter 0" "Tausender 1" \
    "Zähler 1001" "Zehner 1" "Zehner 2" "Zähler 1021" "Geht nicht, keine Einer in der Hilfszahl" \
    "Einer 0" "Hilfszahl Einer 1" "Zähler 1020, Hilfszahl 1")
# Orca 43 says "notification Zähler 999.", Orca 48 "Zähler 999"; the rest is what has the focus.
message='^(notification )?((Hilfszahl )?(Einer|Zehner|Hunderter|Tausender) [0-9]+|(Zähler|Hilfszahl) '
message+='[0-9]+(, Hilfszahl [0-9]+)?|Geht nicht, .*)\.?$'
[ "$(grep -E "$message" <<<"$heard" | sed -E 's/^notification //; s/\.$//')" = "$expected" ] &&
    exit 0
echo "Orca should have said:"; sed 's/^/    /' <<<"$expected"
echo "Orca said:"; sed 's/^/    /' <<<"$heard"
exit 1
