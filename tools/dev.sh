#!/usr/bin/env bash
# Sets up what Namorel needs on Debian, builds it, and starts it or runs its
# tests.
#
#   bash tools/dev.sh run             build (release) and start Namorel
#   bash tools/dev.sh test            build (sanitizers, warnings as errors) and run every test
#   bash tools/dev.sh package         build the Debian package, install it on this machine, run a search with
#                                     the installed program, and remove the package again
#   bash tools/dev.sh bench           build (release) and compare Namorel with plain programs (bench/compare.sh)
#   bash tools/dev.sh fuzz [SECONDS]  build the fuzz targets (clang, libFuzzer) and run each for SECONDS
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

packages=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev qt6-base-dev-tools qt6-charts-dev libqt6opengl6-dev libqt6sql6-sqlite
    libjpeg62-turbo-dev libfontconfig-dev libbenchmark-dev libicu-dev
    fonts-liberation
    python3
    xvfb twm x11-utils
    dbus at-spi2-core python3-pyatspi
    desktop-file-utils appstream
)
# What bench/compare.sh needs besides: the programs it compares with, a virtual display and the clock of
# first paint.
bench_packages=(gawk time locales xvfb xauth libxcb-damage0-dev)
# What only the package check needs: dpkg-shlibdeps, and file, with which CPack finds the programs to ask it about.
package_packages=(dpkg-dev file)
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

as_root() {
    if ((EUID == 0)); then
        "$@"
    else
        command -v sudo >/dev/null || die "installing the package needs root: run this as root or install sudo"
        sudo "$@"
    fi
}

# Builds the .deb, installs it with apt-get as a user would, checks the installed program, and removes it.
# Whatever happens, the package is removed again before the check ends.
check_package() {
    local build=$root/build/release
    if [[ $(dpkg-query -W -f='${db:Status-Status}' namorel 2>/dev/null) == installed ]]; then
        die "a namorel package is already installed here; remove it first (apt-get purge namorel), the check installs its own"
    fi

    cmake --build --preset release --target namorel_uidriver
    rm -f "$build"/namorel_*.deb
    (cd "$build" && cpack -G DEB)
    local deb
    deb=$(cd "$build" && echo namorel_*.deb)
    [[ -f $build/$deb ]] || die "CPack made no package"
    printf '\nnamorel: package %s\n' "$deb"
    dpkg-deb --field "$build/$deb" Package Version Depends

    local before
    before=$(find /usr -name '*namorel*' 2>/dev/null | sort)
    trap 'as_root apt-get -o DPkg::Lock::Timeout=600 purge -y -q namorel >/dev/null 2>&1 || true' EXIT
    (cd "$build" && as_root env DEBIAN_FRONTEND=noninteractive \
        apt-get -o DPkg::Lock::Timeout=600 install -y -q --no-install-recommends "./$deb")

    printf '\nnamorel: the installed program\n'
    [[ -L /usr/bin/namorel ]] || die "/usr/bin/namorel is not a link"
    printf '/usr/bin/namorel -> %s\n' "$(readlink /usr/bin/namorel)"
    env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM namorel --version | head -n 1

    local settings output
    settings=$(mktemp -d)
    output=$(cd "$settings" && env XDG_CONFIG_HOME="$settings" QT_QPA_PLATFORM=offscreen \
        QT_PLUGIN_PATH="$build/plugins" QT_QPA_GENERIC_PLUGINS=namoreluidriver namorel 2>/dev/null) ||
        die "the installed program failed: $output"
    rm -rf "$settings"
    printf '%s\n' "$output"
    grep -q '^summary: Search Complete!' <<<"$output" || die "the installed program ran no search"
    grep -Eq '^recommended: [1-9]' <<<"$output" || die "the installed program recommended no names"
    grep -q '^card: ' <<<"$output" || die "the installed program opened no name card"
    ! grep -q '^error: ' <<<"$output" || die "the installed program reported an error"

    desktop-file-validate /usr/share/applications/namorel.desktop
    appstreamcli validate --no-net /usr/share/metainfo/com.namorel.namorel.metainfo.xml

    printf '\nnamorel: removing the package\n'
    local files
    files=$(dpkg-query -L namorel)
    as_root env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 purge -y -q namorel
    trap - EXIT
    # Every file of the package is gone; a folder may stay only while another package owns it.
    local path left=()
    while IFS= read -r path; do
        [[ $path != /. ]] && [[ -e $path || -L $path ]] || continue
        if [[ -d $path && ! -L $path ]] && dpkg-query -S "$path" >/dev/null 2>&1; then
            continue
        fi
        left+=("$path")
    done <<<"$files"
    local after
    after=$(find /usr -name '*namorel*' 2>/dev/null | sort)
    [[ $after == "$before" ]] || left+=($(comm -13 <(printf '%s\n' "$before") <(printf '%s\n' "$after")))
    ((${#left[@]} == 0)) || die "the removal left behind: ${left[*]}"
    printf 'namorel: the package installs, runs a search and leaves nothing behind in /usr\n'
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
package)
    packages+=("${package_packages[@]}")
    install_missing_packages
    build release
    check_package
    ;;
bench)
    packages+=("${bench_packages[@]}")
    install_missing_packages
    exec bash "$root/bench/compare.sh" "${@:2}"
    ;;
fuzz)
    packages+=("${fuzz_packages[@]}")
    install_missing_packages
    exec bash tests/fuzz/run.sh "${2:-60}"
    ;;
*)
    printf 'usage: bash tools/dev.sh run|test|package|bench [ROUNDS]|fuzz [SECONDS]\n' >&2
    exit 2
    ;;
esac
