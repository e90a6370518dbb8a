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
stop_display() {
    [ -n "$twm" ] && kill "$twm" 2>/dev/null
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
    twm=
    xvfb=
}
trap 'stop_display; rm -rf "$scratch"' EXIT
trap 'exit 1' INT TERM

# Waits up to 10 seconds for a condition.
wait_for() {
    tries=0
    until eval "$1"; do
        tries=$((tries + 1))
        [ "$tries" -lt 200 ] || return 1
        sleep 0.05
    done
}

# Starts the display and its window manager; says why not on standard error.
start_display() {
    rm -f "$scratch/display"
    # The server picks a display number that is free, whatever else runs on the machine.
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$scratch/display" 2>"$scratch/xvfb.log" &
    xvfb=$!
    if ! wait_for '[ -s "$scratch/display" ]'; then
        echo "the virtual display did not start: $(cat "$scratch/xvfb.log")" >&2
        return 1
    fi
    DISPLAY=:$(cat "$scratch/display")
    export DISPLAY
    # The number is known a moment before the server takes connections.
    if ! wait_for 'xwininfo -root >/dev/null 2>&1'; then
        echo "the virtual display $DISPLAY does not answer: $(cat "$scratch/xvfb.log")" >&2
        return 1
    fi
    LC_ALL=C twm -f "$here/twmrc" >/dev/null 2>"$scratch/twm.log" &
    twm=$!
    # twm is ready once it has made windows of its own on the root.
    if ! wait_for 'xwininfo -root -children 2>/dev/null | grep -q "children:"'; then
        echo "twm did not start on $DISPLAY: $(grep -v lacking "$scratch/twm.log")" >&2
        return 1
    fi
}

attempt=1
until start_display; do
    stop_display
    attempt=$((attempt + 1))
    if [ "$attempt" -gt 3 ]; then
        echo "with_window_manager.sh: no display with a window manager" >&2
        exit 1
    fi
done

"$@"
