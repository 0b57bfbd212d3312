#!/bin/sh
# Runs bench_viewer_fps on a private Xvfb display (the window's frame rate and processor use
# beside the headless client's on the same stream). usage: bench_viewer_fps.sh [BUILD_DIR] [FRAMES]
set -eu
build=${1:-build}
frames=${2:-60}
program="$build/bench/bench_viewer_fps"
[ -x "$program" ] || { echo "no $program: build the bench_viewer_fps target" >&2; exit 1; }
# Xvfb picks a free display itself and writes its number once it is ready.
numberFile=$(mktemp)
Xvfb -displayfd 3 -screen 0 1920x1200x24 -nolisten tcp 3>"$numberFile" >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true; rm -f "$numberFile"' EXIT INT TERM
tries=0
until grep -q '^[0-9][0-9]*$' "$numberFile" 2>/dev/null; do
    tries=$((tries + 1))
    [ $tries -lt 100 ] || { echo "Xvfb did not start" >&2; exit 1; }
    sleep 0.1
done
display=$(cat "$numberFile")
DISPLAY=":$display" QT_QPA_PLATFORM=xcb TELORAD_BENCH_XSERVER_PID=$xvfb "$program" "$frames"
