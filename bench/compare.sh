#!/usr/bin/env bash
# Times Namorel's name search against the same job done by standard tools, in one run on one machine.
#
# The job: read the 41 name files of one gender of a synthetic database of 1,000,000 lines, split the
# lines by length into two lists and sort both without regard to case. Namorel's side is one search
# (namorel_searchrun); the baseline is
#   cat <files> | awk (split by length into two outputs) | LC_ALL=C.UTF-8 sort -f (each output)
# The two run alternately for several rounds after a warm-up; the script prints the median times, the
# peak memory of Namorel's search (also for a search over a full million lines) and, last,
# ratio=<Namorel median / baseline median>.
#
#   bash bench/compare.sh [rounds]     (default 9)
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
rounds=${1:-9}
gender=0 min=3 max=8

cmake --preset release -S "$root" >/dev/null
cmake --build --preset release --target namorel_searchrun >/dev/null
runner=$root/build/release/bin/namorel_searchrun

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$runner" generate "$work/program" 1000000
mapfile -t files < <("$runner" files "$work/program" "$gender")

ours() {
    "$runner" search "$work/program" "$gender" "$min" "$max" >>"$work/ours.log"
}

baseline() {
    cat "${files[@]}" | LC_ALL=C.UTF-8 awk -v min="$min" -v max="$max" \
        -v recommended="LC_ALL=C.UTF-8 sort -f >$work/recommended.txt" \
        -v others="LC_ALL=C.UTF-8 sort -f >$work/others.txt" \
        '{ if (length($0) >= min && length($0) <= max) print | recommended; else print | others }'
}

# Milliseconds that a command takes, as wall-clock time.
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

ours >/dev/null
baseline
: >"$work/ours.log"
ours_times=() baseline_times=()
for ((round = 1; round <= rounds; ++round)); do
    if ((round % 2)); then
        ours_times+=("$(time_ms ours)")
        baseline_times+=("$(time_ms baseline)")
    else
        baseline_times+=("$(time_ms baseline)")
        ours_times+=("$(time_ms ours)")
    fi
done

ours_median=$(printf '%s\n' "${ours_times[@]}" | median)
baseline_median=$(printf '%s\n' "${baseline_times[@]}" | median)
peak_kib=$(grep -o 'peak_kib=[0-9]*' "$work/ours.log" | cut -d= -f2 | sort -n | tail -n 1)

echo "files: ${#files[@]}, lines: $(cat "${files[@]}" | wc -l), length window $min-$max, $rounds rounds"
echo "namorel search: $(tail -n 1 "$work/ours.log")"
echo "baseline:       recommended=$(wc -l <"$work/recommended.txt") not_recommended=$(wc -l <"$work/others.txt")"
echo "namorel times (ms):  ${ours_times[*]}  median $ours_median"
echo "baseline times (ms): ${baseline_times[*]}  median $baseline_median"
echo "namorel peak memory: $((peak_kib / 1024)) MiB"

# Memory for a search that reads a full million lines: one gender of a database twice the size.
"$runner" generate "$work/large" 2000000
large=$("$runner" search "$work/large" "$gender" "$min" "$max")
echo "namorel peak memory over 1,000,000 lines: $(($(grep -o 'peak_kib=[0-9]*' <<<"$large" | cut -d= -f2) / 1024)) MiB ($large)"
awk -v a="$ours_median" -v b="$baseline_median" 'BEGIN { printf "ratio=%.2f\n", a / b }'
