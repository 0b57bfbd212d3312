#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a while, one after another.
# Usage: scripts/fuzz.sh [seconds per target, default 20] [target...]
# Seeds in fuzz/seeds/TARGET run first in every run, so an input that once failed stays checked.
# The summary gives each target's executions, time and rate as libFuzzer counted them, and the
# processor time it had: on a shared machine the wall-clock rate says as much about the others.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-20}
shift || true
scripts/build.sh fuzz
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    for target in build-fuzz/fuzz/fuzz_*; do
        [ -x "$target" ] && targets+=("$(basename "$target")")
    done
fi
status=0
summary=()
for name in "${targets[@]}"; do
    target=build-fuzz/fuzz/$name
    corpus=fuzz/corpus-$name
    mkdir -p "$corpus"
    seeds=()
    [ -d "fuzz/seeds/$name" ] && seeds=("fuzz/seeds/$name")
    # A dictionary of message headers and fields lets mutations reach past the first check.
    dict=()
    [ -f "fuzz/$name.dict" ] && dict=("-dict=fuzz/$name.dict")
    log=build-fuzz/$name.log
    echo "fuzz.sh: $name for ${seconds}s"
    # -timeout: one input that runs away fails the run in 2 minutes instead of hanging it.
    started=$(date +%s.%N)
    times_before=$(awk '{print $14 + $15 + $16 + $17}' /proc/$$/stat)
    if ! "$target" -max_total_time="$seconds" -timeout=120 -print_final_stats=1 "${dict[@]}" \
            -artifact_prefix=build-fuzz/ \
            "$corpus" "${seeds[@]}" \
            2> "$log"; then
        echo "fuzz.sh: $name FOUND A PROBLEM"; tail -40 "$log"; status=1
    fi
    # Processor time of the finished child, from this shell's own accounting (clock ticks).
    times_after=$(awk '{print $14 + $15 + $16 + $17}' /proc/$$/stat)
    executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
    coverage=$(grep -oE 'DONE +cov: [0-9]+ ft: [0-9]+' "$log" | sed 's/DONE *//' || true)
    summary+=("$(awk -v n="$name" -v e="${executions:-0}" -v r="${rate:-0}" -v c="$coverage" \
        -v s0="$started" -v s1="$(date +%s.%N)" -v t0="$times_before" -v t1="$times_after" \
        -v hz="$(getconf CLK_TCK)" 'BEGIN {
            cpu = (t1 - t0) / hz
            per = 0
            if (cpu > 0) per = e / cpu
            printf "%-16s %10d executions %6.1f s %7d exec/s  %6.1f cpu s %7.0f exec/cpu s  %s", \
                   n, e, s1 - s0, r, cpu, per, c }')")
done
echo "fuzz.sh: summary"
printf '%s\n' "${summary[@]}"
exit $status
