#!/bin/sh
# Frames per second shown by telorad.exe under Wine beside the Qt viewer, in one run, measured
# the same way on the same stream: telorad-server sends FRAMES whole 1920x1080x32 frames (the
# first frame's tiles again and again, as fast as the viewer reads them). Both viewers paint
# every update rectangle on the window the moment it arrives, so the frames a viewer read are
# the frames it painted. The time runs from the viewer's "connect" in the server's log until
# the server has logged its last frame as sent and the connection holds no byte more (ss).
# Processor use of the viewer (for Wine also its wineserver) and the X server while streaming,
# then, still connected with nothing arriving, over 10 s. Runs on a private Xvfb display.
# usage: bench_win32_fps.sh [BUILD_DIR] [WINDOWS_BUILD_DIR] [FRAMES] [raw|rle]
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
if [ -z "${TELORAD_XVFB_PID:-}" ]; then
    TELORAD_XVFB_SCREEN=1920x1200x24 exec sh "$root/scripts/with_xvfb.sh" sh "$0" "$@"
fi
. "$root/tests/e2e/e2e_lib.sh"
absolute() { case $1 in /*) echo "$1" ;; *) echo "$PWD/$1" ;; esac; }
build=$(absolute "${1:-build}") windows=$(absolute "${2:-build-windows}")
frames=${3:-60} encoding=${4:-raw}
server=$build/server/telorad-server
for program in "$server" "$build/frontends/qt/telorad" "$windows/frontends/win32/telorad.exe"; do
    [ -x "$program" ] || { echo "no $program: build it first" >&2; exit 1; }
done
make_workspace
fail() { echo "FAIL: $*" >&2; exit 1; }
start_wine_prefix || fail "wineboot did not make the prefix"

# Processor seconds so far of the viewer, its wineserver (if any) and the X server: V/W/X.
cpu_mark() {
    echo "$(cpu_ticks "$viewer") $(cpu_ticks $helper) $(cpu_ticks "$TELORAD_XVFB_PID")" |
        awk -v hz="$(getconf CLK_TCK)" '{ printf "%.3f/%.3f/%.3f", $1 / hz, $2 / hz, $3 / hz }'
}
# Seconds since midnight of the UTC time stamp of the first log line of type $1.
log_time() {
    sed -n "s/^{\"t\":\"[^T]*T\([0-9:.]*\)Z\",\"type\":\"$1\".*/\1/p" "$dir/events.log" | head -n 1 |
        awk -F: '{ printf "%.3f", $1 * 3600 + $2 * 60 + $3 }'
}
# Starts the server and viewer $1 (qt or win32), connects through the viewer's connect dialog,
# waits for the last frame, then 10 s idle; prints the row of the viewer.
measure() {
    dir="$work/$1"
    mkdir -p "$dir/bin"
    "$server" --listen 127.0.0.1:0 --auth none --size 1920x1080 --depth 32 --fps 0 \
        --repeat-frame --encoding "$encoding" --frames "$frames" --log "$dir/events.log" \
        2>"$dir/server.err" &
    pids="$pids $!"
    wait_for_log "$dir/server.err" '^listening on ' || fail "the server did not start"
    port=$(sed -n 's/^listening on .*:\([0-9]*\)$/\1/p' "$dir/server.err")
    helper=""
    if [ "$1" = qt ]; then
        # A copy, so remote.ini is written beside it and not into the build.
        cp "$build/frontends/qt/telorad" "$dir/bin/"
        HOME="$dir" QT_QPA_PLATFORM=xcb "$dir/bin/telorad" "127.0.0.1:$port" >"$dir/viewer.out" 2>&1 &
        viewer=$!
        pids="$pids $viewer"
    else
        cp "$windows/frontends/win32/telorad.exe" "$dir/bin/"
        printf '[Client]\r\nHost00=127.0.0.1\r\nPort00=%s\r\nPasswd00=\r\n' "$port" >"$dir/bin/remote.ini"
        (cd "$dir/bin" && exec wine telorad.exe) >"$dir/viewer.out" 2>&1 &
        viewer=$!
        pids="$pids $viewer"
        window=$(wait_window Client) || fail "telorad.exe's window did not appear"
        eval "$(xdotool getwindowgeometry --shell "$window")"
        xdotool mousemove $((X + 150)) $((Y + 10)) click 1  # リモート(R)
        sleep 0.5
        xdotool key Down Return  # 接続
        helper=$(wineserver_pid) || fail "no wineserver for $WINEPREFIX"
    fi
    dialog=$(wait_window 接続) || fail "the $1 connect dialog did not open"
    # Processor seconds of the viewer, its wineserver and the X server at the start of the
    # stream, its end, and the start and end of the idle period.
    marks=$(cpu_mark)
    xdotool windowfocus --sync "$dialog" key Return
    tries=0
    until grep -q '"type":"frames"' "$dir/events.log" 2>/dev/null; do
        tries=$((tries + 1))
        [ $tries -lt 3000 ] || fail "the $1 viewer did not take $frames frames in 300 s"
        sleep 0.05
    done
    # The last frame is read once the loopback connection holds no byte more.
    tries=0
    until [ "$(ss -tnH state established "( sport = :$port or dport = :$port )" | awk '{ q += $1 + $2 } END { print q + 0 }')" = 0 ]; do
        tries=$((tries + 1))
        [ $tries -lt 600 ] || fail "the $1 viewer did not read the rest in 30 s"
        sleep 0.05
    done
    end=$(date -u +%H:%M:%S.%N | awk -F: '{ printf "%.3f", $1 * 3600 + $2 * 60 + $3 }')
    marks="$marks $(cpu_mark)"
    start=$(log_time connect)
    sleep 2
    marks="$marks $(cpu_mark)"
    sleep 10
    marks="$marks $(cpu_mark)"
    kill "$viewer"
    echo "$marks" | awk -v name="$1" -v n="$frames" -v s="$start" -v e="$end" \
        -v wine="${helper:+yes}" '{
        split($1, a, "/"); split($2, b, "/"); split($3, c, "/"); split($4, d, "/")
        streaming = e - s
        printf "%-6s %6.1f %6.0f%% %10s %6.0f%% %6.1f%% %10s %6.1f%%\n", name, n / streaming,
               100 * (b[1] - a[1]) / streaming,
               wine ? sprintf("%.0f%%", 100 * (b[2] - a[2]) / streaming) : "-",
               100 * (b[3] - a[3]) / streaming, 10 * (d[1] - c[1]),
               wine ? sprintf("%.1f%%", 10 * (d[2] - c[2])) : "-", 10 * (d[3] - c[3]) }'
}

echo "CPU: $(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n 1)" \
    "(family $(sed -n 's/^cpu family[[:space:]]*: //p' /proc/cpuinfo | head -n 1)," \
    "model $(sed -n 's/^model[[:space:]]*: //p' /proc/cpuinfo | head -n 1)), $(nproc) cores"
echo "$frames frames of 1920x1080x32, $encoding, every tile sent; Xvfb 1920x1200x24"
echo "Processor use of the viewer, its wineserver and the X server: streaming, then 10 s idle"
printf '%-6s %6s %7s %10s %7s %7s %10s %7s\n' viewer fps viewer wineserver X "viewer" \
    wineserver X
measure qt
measure win32
