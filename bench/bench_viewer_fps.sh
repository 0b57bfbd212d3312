#!/bin/sh
# Runs bench_viewer_fps on a private Xvfb display (the window's frame rate and processor use
# beside the headless client's on the same stream). usage: bench_viewer_fps.sh [BUILD_DIR] [FRAMES]
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-build}
frames=${2:-60}
program="$build/bench/bench_viewer_fps"
[ -x "$program" ] || { echo "no $program: build the bench_viewer_fps target" >&2; exit 1; }
TELORAD_XVFB_SCREEN=1920x1200x24 sh "$root/scripts/with_xvfb.sh" sh -c \
    'QT_QPA_PLATFORM=xcb TELORAD_BENCH_XSERVER_PID=$TELORAD_XVFB_PID exec "$0" "$1"' \
    "$program" "$frames"
