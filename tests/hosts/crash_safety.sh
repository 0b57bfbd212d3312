#!/usr/bin/env bash
# Kills a process with SIGKILL at random moments while it saves the host history over and over,
# and checks after every kill that the file holds one whole list: the old one or the new one.
# Each saving process first checks the file the previous one left behind.
# Usage: crash_safety.sh SAVE_LOOP_PROGRAM [ROUNDS]
set -euo pipefail
program=$1
rounds=${2:-200}
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
file=$dir/remote.ini
out=$dir/check.txt

fail() {
    echo "crash_safety: round $1: $2"
    od -c "$file" | head -20
    exit 1
}

"$program" init "$file"
a=0
b=0
leftovers=0
count() {
    case $1 in
        A) a=$((a + 1)) ;;
        B) b=$((b + 1)) ;;
    esac
}
for ((round = 1; round <= rounds; round++)); do
    : > "$out"
    "$program" run "$file" > "$out" &
    pid=$!
    # Wait for its check of the file, so the kill lands among the saves however slowly the
    # program starts (sanitizer builds start slowly).
    for ((tries = 0; tries < 5000; tries++)); do
        [ -s "$out" ] && break
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.002
    done
    printf -v delay '0.%03d' $((RANDOM % 25))
    sleep "$delay"
    kill -9 "$pid" 2>/dev/null || true
    status=0
    wait "$pid" 2>/dev/null || status=$?
    result=$(head -n 1 "$out")
    if [ "$status" -ne 137 ]; then
        fail "$round" "the saving process ended by itself (status $status): $result"
    fi
    [ -n "$result" ] || fail "$round" "the saving process never checked the file"
    count "$result"
    for temporary in "$file".tmp-*; do
        if [ -e "$temporary" ]; then
            leftovers=$((leftovers + 1))
            rm -f "$temporary"
        fi
    done
done
result=$("$program" check "$file") || fail "$rounds" "$result"
count "$result"
echo "crash_safety: $rounds rounds: list A found $a times, list B $b times," \
     "$leftovers temporary files left by kills"
# Both lists seen: the kills landed at different points of the save cycle.
if [ "$a" -eq 0 ] || [ "$b" -eq 0 ]; then
    echo "crash_safety: the kills never caught both lists"
    exit 1
fi
