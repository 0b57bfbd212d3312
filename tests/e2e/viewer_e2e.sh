#!/bin/sh
# End to end on a real X display: telorad-server shows a still picture, telorad is driven with
# the mouse like a user would (Remote menu, 接続, OK in the dialog, later File, 終了), and a grab
# of the window's client area must equal the server's own picture, pixel for pixel.
#
# usage: viewer_e2e.sh TELORAD TELORAD_SERVER WINDOW_GRAB [DEPTH...]   (default: 24 32 16)
# Runs on a private Xvfb display. Needs Xvfb, xdotool and xwininfo.
set -eu

# In sanitizer builds, leaks of the system libraries under Qt are not ours to report.
LSAN_OPTIONS="suppressions=$(cd "$(dirname "$0")" && pwd)/qt_lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
export LSAN_OPTIONS

telorad=$1
server=$2
grab=$3
work=$(mktemp -d)
pids=""

cleanup() {
    for pid in $pids; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT INT TERM

fail() {
    echo "FAIL: $*" >&2
    # TELORAD_E2E_KEEP=DIR keeps the pictures, logs and grabs of a failed run.
    [ -n "${TELORAD_E2E_KEEP:-}" ] && cp -r "$work" "$TELORAD_E2E_KEEP"
    [ -f "$work/telorad.err" ] && sed 's/^/telorad: /' "$work/telorad.err" >&2
    exit 1
}

for tool in Xvfb xdotool xwininfo; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done

# A display nobody uses.
display=90
while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do
    display=$((display + 1))
done
Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids="$pids $!"
DISPLAY=":$display"
export DISPLAY
tries=0
until xdotool getdisplaygeometry >/dev/null 2>&1; do
    tries=$((tries + 1))
    [ $tries -lt 100 ] || fail "Xvfb did not start"
    sleep 0.1
done

# Override-redirect windows of telorad (popup menus), as "X Y W H" lines.
popups() {
    xwininfo -root -children 2>/dev/null |
        sed -n 's/.*"telorad": ("telorad" "telorad")  *\([0-9]*\)x\([0-9]*\)+\([0-9-]*\)+\([0-9-]*\).*/\3 \4 \1 \2/p'
}

# Opens the menu bar popup whose height is in [minHeight, maxHeight] by clicking along the bar;
# prints its "X Y W H".
open_popup() {
    min=$1
    max=$2
    x=4
    while [ $x -lt 400 ]; do
        xdotool mousemove "$x" 10 click 1
        sleep 0.3
        found=$(popups | awk -v lo="$min" -v hi="$max" '$4 >= lo && $4 <= hi { print; exit }')
        if [ -n "$found" ]; then
            echo "$found"
            return 0
        fi
        xdotool key Escape
        x=$((x + 12))
    done
    return 1
}

# Waits for a window titled exactly $1; prints its id.
wait_window() {
    tries=0
    while :; do
        id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1 || true)
        [ -n "$id" ] && { echo "$id"; return 0; }
        tries=$((tries + 1))
        [ $tries -lt 100 ] || return 1
        sleep 0.1
    done
}

run_case() {
    depth=$1
    shift
    echo "== depth $depth, server options: $*"
    rm -rf "$work/case" && mkdir -p "$work/case/bin"
    "$server" --size 640x360 --depth "$depth" --static "$@" --dump-frame "$work/case/picture.bmp" \
        || fail "the server did not write its picture"
    "$server" --listen 127.0.0.1:0 --size 640x360 --depth "$depth" --static --once "$@" \
        >"$work/case/events.log" 2>"$work/case/server.err" &
    server_pid=$!
    pids="$pids $server_pid"
    tries=0
    until grep -q '^listening on ' "$work/case/server.err"; do
        tries=$((tries + 1))
        [ $tries -lt 100 ] || fail "the server did not start"
        sleep 0.1
    done
    port=$(sed -n 's/^listening on .*:\([0-9]*\)$/\1/p' "$work/case/server.err")

    # The viewer keeps remote.ini beside itself: a copy in the case directory, with one
    # remembered server, which the connect dialog offers first.
    cp "$telorad" "$work/case/bin/telorad"
    printf '[Client]\r\nHost00=127.0.0.1\r\nPort00=%s\r\nPasswd00=%s\r\n' "$port" "$password" \
        >"$work/case/bin/remote.ini"
    "$work/case/bin/telorad" >"$work/telorad.out" 2>"$work/telorad.err" &
    viewer_pid=$!
    pids="$pids $viewer_pid"
    window=$(wait_window Client) || fail "the main window did not appear"

    # Remote is the tallest popup (six items); 接続 is its first item.
    remote=$(open_popup 100 400) || fail "the Remote menu did not open"
    set -- $remote
    xdotool mousemove $(($1 + 30)) $(($2 + 12)) click 1
    dialog=$(wait_window 接続) || fail "the connect dialog did not open"
    eval "$(xdotool getwindowgeometry --shell "$dialog")"
    # OK sits at 131, 77 of the dialog's 218 × 91 units.
    xdotool mousemove $((X + WIDTH * 131 / 218)) $((Y + HEIGHT * 77 / 91)) click 1

    if [ "$caution" = yes ]; then
        # The seeded login is not encrypted: the viewer says so first; Enter takes the box's OK.
        wait_window 'caution!' >/dev/null || fail "no warning about the insecure connection"
        xdotool key Return
    fi

    # The picture arrives and the window fits itself to it.
    tries=0
    until "$grab" grab "$window" "$work/case/shot.png" >/dev/null 2>&1 &&
        "$grab" find "$work/case/shot.png" "$work/case/picture.bmp" "$tolerance" \
            >"$work/case/find.txt" 2>/dev/null; do
        tries=$((tries + 1))
        [ $tries -lt 60 ] || { cat "$work/case/find.txt"; fail "the window never showed the server's picture"; }
        sleep 0.25
    done
    cat "$work/case/find.txt"
    grep -q '"type":"mode","mode":2' "$work/case/events.log" || fail "no monitor mode on connect"

    # File (the popup of four lines), 終了 (its last item): the window closes, the program ends.
    file=$(open_popup 60 99) || fail "the File menu did not open"
    set -- $file
    xdotool mousemove $(($1 + 30)) $(($2 + $4 - 12)) click 1
    tries=0
    while kill -0 "$viewer_pid" 2>/dev/null; do
        tries=$((tries + 1))
        [ $tries -lt 50 ] || fail "the viewer did not exit"
        sleep 0.1
    done
    wait "$viewer_pid" || fail "the viewer exited with an error"
    wait "$server_pid" || true
    echo "ok"
}

shift 3
[ $# -gt 0 ] || set -- 24 32 16
printf 'e2e-secret\n' >"$work/password"
for depth in "$@"; do
    case $depth in
        24) password="" tolerance=0 caution=no run_case 24 --auth none ;;
        32) password="e2e-secret" tolerance=0 caution=no \
            run_case 32 --auth digest --encrypt --password-file "$work/password" ;;
        # 5-bit channels: the screen and the BMP reader may widen them differently.
        16) password="" tolerance=8 caution=yes run_case 16 --auth legacy ;;
        *) fail "no case for depth $depth" ;;
    esac
done
echo "PASS"
