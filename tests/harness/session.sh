# What the desktop harnesses (gnome.sh, hear.sh) share; sourced first thing.
# shellcheck shell=bash disable=SC2034 # scratch, home and run are the harness's

# Runs a command again and again, a tenth of a second apart, until it succeeds; gives up after N
# tries, saying on what.
waitfor() {
    local tries=$1 _
    shift
    for _ in $(seq "$tries"); do "$@" && return; sleep 0.1; done
    echo "gave up waiting for: $*" >&2
    return 1
}

# Skipped (77) where a tool is missing; tools/dev.sh test installs them all.
need() {
    local t
    for t; do command -v "$t" >/dev/null || { echo "skipped: $t is not installed" >&2; exit 77; }; done
}

# The harness once more, with the same arguments, in a process namespace of its own: whatever its
# desktop leaves running ends with it, and a screen reader or shell running elsewhere is no
# matter. Then a scratch folder, gone at the end, with a home and a runtime folder.
own_processes() {
    if [ -z "${NURVELO_OWN_PROCESSES:-}" ]; then
        local map=()
        [ "$(id -u)" -eq 0 ] || map=(--map-current-user)
        exec env NURVELO_OWN_PROCESSES=1 unshare "${map[@]}" --pid --fork --mount-proc \
            --kill-child=TERM bash "$0" "$@"
    fi
    scratch=$(mktemp -d) && home=$scratch/home run=$scratch/run
    mkdir -p "$home" "$run" && chmod 700 "$run"
    trap 'rm -rf "$scratch"' EXIT
}
