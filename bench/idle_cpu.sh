#!/bin/sh
# Processor use of each client while it is connected to a still 1920 x 1080 x 32 picture and
# nothing changes, from the ticks in /proc/PID/stat over IDLE_SECONDS (10): telorad (Qt) on a
# private Xvfb, telorad-cli during a `pause`, and, given a Windows build, telorad.exe under
# Wine, beside the wineserver of its own prefix. A client is measured once its server has
# sent the picture and a few seconds have passed.
# usage: bench/idle_cpu.sh [BUILD_DIR] [WINDOWS_BUILD_DIR]
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
if [ -z "${TELORAD_XVFB_PID:-}" ]; then
    TELORAD_XVFB_SCREEN=1920x1200x24 exec sh "$root/scripts/with_xvfb.sh" sh "$0" "$@"
fi
. "$root/tests/e2e/e2e_lib.sh"
build=$(cd "${1:-build}" && pwd)
windows=${2:-}
[ -z "$windows" ] || windows=$(cd "$windows" && pwd)
seconds=${IDLE_SECONDS:-10}
server="$build/server/telorad-server"
make_workspace
fail() { echo "idle_cpu: $*" >&2; exit 1; }

# Prints the processor use of one or two processes over the same $seconds: LABEL PID [LABEL PID].
measure() {
    for pid in $2 ${4:-}; do cpu_ticks "$pid" >"$work/before.$pid"; done
    sleep "$seconds"
    report "$1" "$2"
    [ $# -lt 4 ] || report "$3" "$4"
}
report() {
    awk -v label="$1" -v t=$(($(cpu_ticks "$2") - $(cat "$work/before.$2"))) \
        -v hz="$(getconf CLK_TCK)" -v s="$seconds" \
        'BEGIN { printf "%-42s %6.2f %% of a core (%d ticks in %d s)\n", label, 100 * t / hz / s, t, s }'
}

# A server for one client ($1 names its files); sets port and server_pid.
start_server() {
    "$server" --listen 127.0.0.1:0 --size 1920x1080 --depth 32 --static --once --auth none \
        --log "$work/$1.log" 2>"$work/$1.err" &
    server_pid=$!
    pids="$pids $server_pid"
    wait_for_log "$work/$1.err" '^listening on ' || fail "the server did not start"
    port=$(sed -n 's/^listening on .*:\([0-9]*\)$/\1/p' "$work/$1.err")
}

# Waits until the client has announced itself, then lets the picture arrive.
await_connected() {
    wait_for_log "$work/$1.log" '"type":"mode"' || fail "$1 did not connect"
    sleep 3
}

grep -m1 'model name' /proc/cpuinfo | sed 's/.*: /CPU: /'

# The Qt viewer, started on the server: its connect dialog opens and Enter connects.
start_server qt
mkdir "$work/qt" && cp "$build/frontends/qt/telorad" "$work/qt/"
QT_QPA_PLATFORM=xcb "$work/qt/telorad" "127.0.0.1:$port" >/dev/null 2>&1 &
viewer=$!
pids="$pids $viewer"
dialog=$(wait_window 接続) || fail "the Qt viewer's connect dialog did not open"
xdotool windowfocus --sync "$dialog" key Return
await_connected qt
measure "telorad (Qt), connected, idle" "$viewer"
kill "$viewer"

# The headless client, pausing.
start_server cli
"$build/frontends/cli/telorad-cli" run --timeout $((seconds + 30)) "127.0.0.1:$port" \
    pause $((seconds + 10)) >/dev/null 2>&1 &
cli=$!
pids="$pids $cli"
await_connected cli
measure "telorad-cli run ... pause, idle" "$cli"
kill "$cli"

[ -n "$windows" ] || exit 0
# telorad.exe under Wine, connected through its menu and dialog.
LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
export LANG LC_ALL
start_wine_prefix || fail "wineboot did not make the prefix"
start_server win32
mkdir "$work/win32" && cp "$windows/frontends/win32/telorad.exe" "$work/win32/"
printf '[Client]\r\nHost00=127.0.0.1\r\nPort00=%s\r\nPasswd00=\r\n' "$port" >"$work/win32/remote.ini"
(cd "$work/win32" && exec wine telorad.exe) >/dev/null 2>&1 &
viewer=$!
pids="$pids $viewer"
window=$(wait_window Client) || fail "telorad.exe did not show its window"
wineserver=$(wineserver_pid) || fail "no wineserver for $WINEPREFIX"
eval "$(xdotool getwindowgeometry --shell "$window")"
xdotool mousemove $((X + 150)) $((Y + 10)) click 1  # リモート(R)
sleep 0.5
xdotool key Down Return  # 接続
dialog=$(wait_window 接続) || fail "telorad.exe's connect dialog did not open"
xdotool windowfocus --sync "$dialog" key Return
await_connected win32
measure "telorad.exe under Wine, connected, idle" "$viewer" \
    "the wineserver of its prefix, meanwhile" "$wineserver"
