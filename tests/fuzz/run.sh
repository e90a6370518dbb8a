#!/usr/bin/env bash
# Runs every fuzz target for SECONDS seconds (default 60), one after the other, built with the fuzz preset
# (clang's libFuzzer, address and undefined-behaviour sanitizers). Fails if any target finds anything: a crash, a
# broken rule, a sanitizer report, a leak, or an input slower than the time limit.
#
#   tests/fuzz/run.sh [SECONDS] [TARGET...]      targets: namefile settings jpeg colors facts exchange
#
# The committed seeds stay as they are: what a run adds to a corpus goes to build/fuzz/corpus/<target>/, and
# findings to build/fuzz/findings/<target>/; each target's output is in build/fuzz/<target>.log. A finding that is
# fixed belongs in tests/fuzz/corpus/<target>/, so that the corpus tests keep it fixed.
set -euo pipefail

seconds=${1:-60}
shift || true
targets=("$@")
((${#targets[@]})) || targets=(namefile settings jpeg colors facts exchange)
# An input that takes longer than this is a finding (a picture that keeps the decoder busy, say).
timeout_per_input=10

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
cd "$root"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz --target "${targets[@]/#/fuzz_}"

export QT_QPA_PLATFORM=offscreen
status=0
for target in "${targets[@]}"; do
    work=build/fuzz/corpus/$target
    findings=build/fuzz/findings/$target
    log=build/fuzz/$target.log
    mkdir -p "$work" "$findings"
    printf 'fuzz_%s: %s s\n' "$target" "$seconds"
    if "build/fuzz/tests/fuzz/fuzz_$target" -max_total_time="$seconds" -timeout="$timeout_per_input" \
        -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$findings/" \
        "$work" "tests/fuzz/corpus/$target" >"$log" 2>&1; then
        verdict="nothing found"
    else
        verdict="FOUND SOMETHING: see $log and $findings/"
        status=1
    fi
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
    coverage=$(grep -o 'cov: [0-9]*' "$log" | tail -n 1 | cut -d' ' -f2)
    features=$(grep -o 'ft: [0-9]*' "$log" | tail -n 1 | cut -d' ' -f2)
    corpus=$(grep -o 'corp: [0-9]*/[0-9]*[a-zA-Z]*' "$log" | tail -n 1 | cut -d' ' -f2)
    printf '  runs %s, coverage %s edges, %s features, corpus %s (inputs/size): %s\n' \
        "${runs:-?}" "${coverage:-?}" "${features:-?}" "${corpus:-?}" "$verdict"
done
exit $status
