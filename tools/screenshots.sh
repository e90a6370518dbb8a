#!/usr/bin/env bash
# Takes the screenshots of the software-centre listing from the real program, in a virtual display:
#
#   bash tools/screenshots.sh
#
# builds the release program and the driver plugin, starts the program inside xvfb-run with a fresh
# settings folder, and lets the driver fill in the entries, run a search and save one picture of each tab
# into packaging/screenshots/. The pictures are committed; the listing links to their published copies.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

command -v xvfb-run >/dev/null || { echo "screenshots: xvfb-run is missing (Debian package xvfb)" >&2; exit 1; }

cmake --preset release >/dev/null
cmake --build --preset release --target namorel namorel_uidriver

out="$root/packaging/screenshots"
mkdir -p "$out"
settings=$(mktemp -d)
trap 'rm -rf "$settings"' EXIT

env -u QT_QPA_PLATFORM -u WAYLAND_DISPLAY \
    XDG_CONFIG_HOME="$settings" \
    QT_PLUGIN_PATH="$root/build/release/plugins" \
    QT_QPA_GENERIC_PLUGINS="namoreluidriver:screenshots=$out" \
    xvfb-run -a -s "-screen 0 1280x1024x24" "$root/build/release/bin/namorel"
