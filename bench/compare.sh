#!/usr/bin/env bash
# Measures Namorel against plain programs that do the same job, in one run on one machine, and prints each
# ratio (Namorel / other; below 1 means Namorel is faster or smaller).
#
# 1. The name search over the 41 files of one gender of a synthetic database (500,000 names per gender),
#    length window 3-8, all programs in the same UTF-8 locale:
#      namorel:   one search (namorel_searchrun), lists built as the program's result;
#      plain:     namorel_plainsearch, a single-threaded C++ program on ICU (keys in one buffer, stable sort of
#                 indices), lists written nowhere;
#      gawk:      gawk splitting the lines by length into two `sort -f` processes.
#    First all three write their lists, and the script stops unless the lists are byte-identical. Then they
#    run in turn for several rounds (the order rotating each round); medians of time and of peak memory
#    (for gawk, the peaks of gawk and both sorts added, as they run at the same time).
# 2. Peak memory of a search over 4,000,000 names (a database of 8,000,000), namorel and plain.
# 3. "Generate Namorel" in the real window against RunSearch alone (namorel_windowbench, offscreen).
# 4. First paint of namorel against a minimal window with a menu bar and a label, on a virtual X display
#    (namorel_firstpaint, paired runs, three times as many rounds as the others since each is short; it also
#    reports the processor time each had used by then, which other work on the machine disturbs less). Then
#    the same for namorel_linkedcards, the program with the module of the name card and the shortlist linked in
#    rather than loaded when first needed.
#
#   bash bench/compare.sh [rounds]     (default 9)
#
# Needs gawk, GNU time, xvfb-run, the locales package (for localedef) and libxcb-damage0-dev
# (bash tools/dev.sh bench installs them).
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
rounds=${1:-9}
gender=0 min=3 max=8
locale=en_US.UTF-8

die() {
    printf 'compare.sh: %s\n' "$*" >&2
    exit 1
}

for tool in gawk /usr/bin/time xvfb-run localedef; do
    command -v "$tool" >/dev/null || die "$tool is missing (bash tools/dev.sh bench installs what the benchmarks need)"
done

cmake --preset release -S "$root" >/dev/null
cmake --build --preset release --target namorel namorel_searchrun namorel_plainsearch namorel_windowbench \
    namorel_minimalwindow namorel_firstpaint namorel_linkedcards >/dev/null
bin=$root/build/release/bin

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# gawk and sort collate with the C library's locale data: build it in the work folder if the system lacks it.
if ! locale -a 2>/dev/null | grep -qix 'en_US\.utf-\?8'; then
    mkdir -p "$work/locale"
    localedef -i en_US -f UTF-8 "$work/locale/$locale" 2>/dev/null || [[ -e $work/locale/$locale ]] ||
        die "cannot build the $locale locale"
    export LOCPATH=$work/locale
fi
# (bash itself does not read LOCPATH and would warn that it lacks the locale.)
export LC_ALL=$locale 2>/dev/null

"$bin/namorel_searchrun" generate "$work/db" 1000000
mapfile -t files < <("$bin/namorel_searchrun" files "$work/db" "$gender")

# Each runner takes an output prefix ("-": lists written nowhere) and a file for its peak memory in KiB.
ours() {
    local out=$1
    [[ $out == - ]] && out=
    /usr/bin/time -f %M -o "$2" "$bin/namorel_searchrun" search "$work/db" "$gender" "$min" "$max" $out >/dev/null
}

plain() {
    /usr/bin/time -f %M -o "$2" "$bin/namorel_plainsearch" "$min" "$max" "$1" "${files[@]}" >/dev/null
}

with_gawk() {
    local out=$1
    [[ $out == - ]] && out=/dev/null
    local recommended=$out.recommended others=$out.others
    [[ $out == /dev/null ]] && recommended=/dev/null others=/dev/null
    /usr/bin/time -f %M -o "$2.gawk" gawk -v min="$min" -v max="$max" \
        -v recommended="/usr/bin/time -f %M -o $2.sort1 sort -f >$recommended" \
        -v others="/usr/bin/time -f %M -o $2.sort2 sort -f >$others" \
        '{ if (length($0) >= min && length($0) <= max) print | recommended; else print | others }' "${files[@]}"
    echo $(($(cat "$2.gawk") + $(cat "$2.sort1") + $(cat "$2.sort2"))) >"$2"
}

# Milliseconds of wall-clock time that a command takes.
time_ms() {
    local start end
    start=$(date +%s%N)
    "$@"
    end=$(date +%s%N)
    echo $(((end - start) / 1000000))
}

median() {
    sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

ratio() {
    awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'
}

# The lists first: all three must agree to the byte.
ours "$work/ours" "$work/mem"
plain "$work/plain" "$work/mem"
with_gawk "$work/gawk" "$work/mem"
for list in recommended others; do
    cmp -s "$work/ours.$list" "$work/plain.$list" || die "namorel and the plain program differ in the $list list"
    cmp -s "$work/ours.$list" "$work/gawk.$list" || die "namorel and gawk with sort -f differ in the $list list"
done

names=(ours plain with_gawk)
declare -A times=() peaks=()
for ((round = 0; round < rounds; ++round)); do
    for ((turn = 0; turn < 3; ++turn)); do
        runner=${names[(round + turn) % 3]}
        times[$runner]+="$(time_ms "$runner" - "$work/mem") "
        peaks[$runner]+="$(cat "$work/mem") "
    done
done
declare -A time_median=() peak_median=()
for runner in "${names[@]}"; do
    time_median[$runner]=$(printf '%s\n' ${times[$runner]} | median)
    peak_median[$runner]=$(printf '%s\n' ${peaks[$runner]} | median)
done

echo "== search: ${#files[@]} files, $(cat "${files[@]}" | wc -l) names, length window $min-$max, LC_ALL=$locale, $rounds rounds"
echo "lists identical: recommended $(wc -l <"$work/ours.recommended"), others $(wc -l <"$work/ours.others")"
for runner in "${names[@]}"; do
    printf '%-10s times (ms): %s median %s; peak memory %s MiB\n' "$runner" "${times[$runner]}" \
        "${time_median[$runner]}" "$((${peak_median[$runner]%.*} / 1024))"
done
echo "ratio_time_plain=$(ratio "${time_median[ours]}" "${time_median[plain]}")"
echo "ratio_memory_plain=$(ratio "${peak_median[ours]}" "${peak_median[plain]}")"
echo "ratio_time_gawk=$(ratio "${time_median[ours]}" "${time_median[with_gawk]}")"
echo "ratio_memory_gawk=$(ratio "${peak_median[ours]}" "${peak_median[with_gawk]}")"

echo "== search over 4,000,000 names"
rm -rf "$work/db"
"$bin/namorel_searchrun" generate "$work/large" 8000000
mapfile -t files < <("$bin/namorel_searchrun" files "$work/large" "$gender")
/usr/bin/time -f %M -o "$work/mem" "$bin/namorel_searchrun" search "$work/large" "$gender" "$min" "$max"
large_ours=$(cat "$work/mem")
/usr/bin/time -f %M -o "$work/mem" "$bin/namorel_plainsearch" "$min" "$max" - "${files[@]}" >/dev/null
large_plain=$(cat "$work/mem")
echo "peak memory: namorel $((large_ours / 1024)) MiB, plain $((large_plain / 1024)) MiB"
echo "ratio_memory_plain_4m=$(ratio "$large_ours" "$large_plain")"
rm -rf "$work/large"

echo "== Generate in the window against RunSearch alone"
QT_QPA_PLATFORM=offscreen "$bin/namorel_windowbench" "$rounds" | sed 's/^ratio=/ratio_generate=/'

echo "== first paint: namorel against a minimal window with a menu bar and a label"
mkdir -p "$work/config" "$work/runtime"
chmod 700 "$work/runtime"
XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/runtime \
    xvfb-run -a -s "-screen 0 1280x1024x24" "$bin/namorel_firstpaint" $((3 * rounds)) "$bin/namorel" \
    "$bin/namorel_minimalwindow" | sed 's/^ratio=/ratio_first_paint=/'

echo "== first paint: namorel with the card module linked in, against the same minimal window"
XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/runtime \
    xvfb-run -a -s "-screen 0 1280x1024x24" "$bin/namorel_firstpaint" $((3 * rounds)) "$bin/namorel_linkedcards" \
    "$bin/namorel_minimalwindow" | sed 's/^ratio=/ratio_first_paint_linked=/'
