#!/bin/sh
# Runs a command on a virtual X display of its own, managed by twm, so that windows get the title bars and
# borders a desktop gives them.
#
#   with_window_manager.sh <command> [arguments...]
set -u
here=$(cd "$(dirname "$0")" && pwd)
scratch=$(mktemp -d)
xvfb=
twm=
cleanup() {
    [ -n "$twm" ] && kill "$twm" 2>/dev/null
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
    rm -rf "$scratch"
}
trap cleanup EXIT INT TERM

# Waits up to 10 seconds for a condition.
wait_for() {
    tries=0
    until eval "$1"; do
        tries=$((tries + 1))
        [ "$tries" -lt 200 ] || return 1
        sleep 0.05
    done
}

fail() {
    echo "with_window_manager.sh: $*" >&2
    exit 1
}

# The server picks a display number that is free, whatever else runs on the machine.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$scratch/display" 2>"$scratch/xvfb.log" &
xvfb=$!
wait_for '[ -s "$scratch/display" ]' || fail "the virtual display did not start: $(cat "$scratch/xvfb.log")"
DISPLAY=:$(cat "$scratch/display")
export DISPLAY
wait_for 'xwininfo -root >/dev/null 2>&1' || fail "the virtual display $DISPLAY does not answer"

LC_ALL=C twm -f "$here/twmrc" >/dev/null 2>"$scratch/twm.log" &
twm=$!
# twm is ready once it has made windows of its own on the root.
wait_for 'xwininfo -root -children 2>/dev/null | grep -q "children:"' ||
    fail "twm did not start: $(grep -v lacking "$scratch/twm.log")"

"$@"
