#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a while.
# Usage: scripts/fuzz.sh [seconds per target, default 20]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-20}
scripts/build.sh fuzz
status=0
for target in build-fuzz/fuzz/fuzz_*; do
    [ -x "$target" ] || continue
    name=$(basename "$target")
    corpus=fuzz/corpus-$name
    mkdir -p "$corpus"
    seeds=()
    [ -d "fuzz/seeds/$name" ] && seeds=("fuzz/seeds/$name")
    # A dictionary of message headers and fields lets mutations reach past the first check.
    dict=()
    [ -f "fuzz/$name.dict" ] && dict=("-dict=fuzz/$name.dict")
    echo "fuzz.sh: $name for ${seconds}s"
    # -timeout: one input that runs away fails the run in 2 minutes instead of hanging it.
    if ! "$target" -max_total_time="$seconds" -timeout=120 -print_final_stats=1 "${dict[@]}" \
            -artifact_prefix=build-fuzz/ \
            "$corpus" "${seeds[@]}" \
            2> "build-fuzz/$name.log"; then
        echo "fuzz.sh: $name FOUND A PROBLEM"; tail -40 "build-fuzz/$name.log"; status=1
    fi
    grep -E 'stat::number_of_executed_units|stat::average_exec_per_sec' "build-fuzz/$name.log" || true
done
exit $status
