#!/bin/sh
# Runs a command with DISPLAY on a private Xvfb display (the number Xvfb picks itself) and a
# Japanese locale; 77 (skipped) without Xvfb. The screen is TELORAD_XVFB_SCREEN (default
# 1280x1024x24); the command finds the X server's pid in TELORAD_XVFB_PID.
set -eu
command -v Xvfb >/dev/null || { echo "SKIP: Xvfb is not installed"; exit 77; }
display_file=$(mktemp)
Xvfb -displayfd 3 -screen 0 "${TELORAD_XVFB_SCREEN:-1280x1024x24}" -nolisten tcp \
    3>"$display_file" 2>/dev/null &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true; rm -f "$display_file"' EXIT INT TERM
tries=0
until grep -q '^[0-9][0-9]*$' "$display_file" 2>/dev/null; do
    tries=$((tries + 1))
    [ $tries -lt 100 ] || { echo "Xvfb did not start" >&2; exit 1; }
    sleep 0.1
done
status=0
DISPLAY=":$(cat "$display_file")" LANG=ja_JP.UTF-8 TELORAD_XVFB_PID=$xvfb "$@" || status=$?
exit $status
