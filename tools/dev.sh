#!/usr/bin/env bash
# Sets up what Namorel needs on Debian, builds it, and starts it or runs its
# tests.
#
#   bash tools/dev.sh run             build (release) and start Namorel
#   bash tools/dev.sh test            build (sanitizers, warnings as errors) and run every test
#   bash tools/dev.sh fuzz [SECONDS]  build the fuzz targets (clang, libFuzzer) and run each for SECONDS
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

packages=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev qt6-base-dev-tools qt6-charts-dev libqt6opengl6-dev libqt6sql6-sqlite
    libjpeg62-turbo-dev libbenchmark-dev
    fonts-liberation
    python3
    xvfb twm x11-utils
    dbus at-spi2-core python3-pyatspi
)
# Only the fuzz command needs these.
fuzz_packages=(clang libclang-rt-14-dev)

die() {
    printf 'namorel: %s\n' "$*" >&2
    exit 1
}

install_missing_packages() {
    local missing=() package
    for package in "${packages[@]}"; do
        if [[ $(dpkg-query -W -f='${db:Status-Status}' "$package" 2>/dev/null) != installed ]]; then
            missing+=("$package")
        fi
    done
    ((${#missing[@]})) || return 0

    command -v apt-get >/dev/null || die "these packages are missing and there is no apt-get to install them: ${missing[*]}"
    local sudo=()
    if ((EUID != 0)); then
        command -v sudo >/dev/null || die "these packages are missing; install them as root: apt-get install ${missing[*]}"
        sudo=(sudo)
    fi
    printf 'namorel: installing %s\n' "${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    "${sudo[@]}" apt-get update -q
    "${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
}

build() {
    local preset=$1
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset"
}

have_display() {
    [[ -n ${DISPLAY:-} || -n ${WAYLAND_DISPLAY:-} || -n ${QT_QPA_PLATFORM:-} ]]
}

case ${1:-} in
run)
    install_missing_packages
    build release
    if ! have_display; then
        die "there is no graphical display to show the window on (neither DISPLAY nor WAYLAND_DISPLAY is set).
Start Namorel from a desktop session, or inside a virtual one (Debian package xvfb): xvfb-run bash tools/dev.sh run"
    fi
    exec "$root/build/release/bin/namorel"
    ;;
test)
    install_missing_packages
    build ci
    exec ctest --preset ci
    ;;
fuzz)
    packages+=("${fuzz_packages[@]}")
    install_missing_packages
    exec bash tests/fuzz/run.sh "${2:-60}"
    ;;
*)
    printf 'usage: bash tools/dev.sh run|test|fuzz [SECONDS]\n' >&2
    exit 2
    ;;
esac
