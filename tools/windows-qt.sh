#!/usr/bin/env bash
# The static Qt for Windows, as tools/static-qt.sh windows builds it; prints its prefix last:
#
#   prefix=$(sudo bash tools/debian13.sh bash tools/windows-qt.sh | tail -n 1)
exec bash "$(dirname "$0")/static-qt.sh" windows "$@"
