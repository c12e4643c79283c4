#!/bin/sh
# Runs a check only where the tools it uses are installed, and otherwise exits 77, which CTest
# shows as skipped. `tools/dev.sh test` installs them all, so there every check runs.
#
#   need.sh TOOL... -- COMMAND [ARGUMENT...]
while [ "$1" != -- ]; do
    if ! command -v "$1" >/dev/null 2>&1; then
        echo "skipped: $1 is not installed"
        exit 77
    fi
    shift
done
shift
exec "$@"
