#!/bin/sh
# End to end on a real X display: telorad-server shows a still picture, telorad is driven with
# the mouse like a user would (Remote menu, 接続, OK in the dialog, later File, 終了), and a grab
# of the window's client area must equal the server's own picture, pixel for pixel; a larger
# picture must follow the wheel; started as `telorad 127.0.0.1:PORT`, the dialog opens on that
# server with its remembered password and Enter alone connects; started as `telorad --replay
# FILE` on a recording made by telorad-cli ($TELORAD_CLI), it shows the recorded picture. The
# case `nodisplay` needs no X: --help, --version, bad arguments and the missing display, each
# with its exit code.
#
# usage: viewer_e2e.sh TELORAD TELORAD_SERVER WINDOW_GRAB [CASE...]
#        (default: 24 32 16 scroll argument, and replay when TELORAD_CLI is set; stall and
#        nodisplay run only when named)
# Runs on a private Xvfb display. Needs Xvfb, xdotool and xwininfo. TELORAD_VERSION, when set,
# is the version all programs must report.
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

# A display nobody uses: Xvfb picks a free number itself and writes it once it is ready, so two
# runs side by side never race for one. Started by the first case that needs it.
start_display() {
    [ -z "${DISPLAY_STARTED:-}" ] || return 0
    DISPLAY_STARTED=yes
    for tool in Xvfb xdotool xwininfo; do
        command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
    done
    # -noreset: an X server whose last client leaves resets itself and refuses connections
    # for a moment, which the next case's viewer would meet.
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$work/display" \
        >"$work/xvfb.log" 2>&1 &
    pids="$pids $!"
    tries=0
    until grep -q '^[0-9][0-9]*$' "$work/display" 2>/dev/null; do
        tries=$((tries + 1))
        [ $tries -lt 100 ] || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
        sleep 0.1
    done
    DISPLAY=":$(cat "$work/display")"
    export DISPLAY
    # The viewer must show on this display, whatever platform the caller chose for other tests.
    QT_QPA_PLATFORM=xcb
    export QT_QPA_PLATFORM
    tries=0
    until xdotool getdisplaygeometry >/dev/null 2>&1; do
        tries=$((tries + 1))
        [ $tries -lt 100 ] || fail "Xvfb did not start"
        sleep 0.1
    done
}

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

# Runs the command until it succeeds, for 10 s at the most (then returns 1).
wait_until() {
    tries=0
    until "$@"; do
        tries=$((tries + 1))
        [ $tries -lt 100 ] || return 1
        sleep 0.1
    done
}
gone() { ! kill -0 "$1" 2>/dev/null; }
has_line() { grep -q "$1" "$2" 2>/dev/null; }

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

# Starts the server on a port it picks, with the options given, its log and stderr in
# $case_dir; sets server_pid and port.
start_server() {
    "$server" --listen 127.0.0.1:0 "$@" >"$case_dir/events.log" 2>"$case_dir/server.err" &
    server_pid=$!
    pids="$pids $server_pid"
    wait_until has_line '^listening on ' "$case_dir/server.err" || fail "the server did not start"
    port=$(sed -n 's/^listening on .*:\([0-9]*\)$/\1/p' "$case_dir/server.err")
}

# Starts the server ($1 = size, $2 = depth, the rest its login options), writes its picture to
# $case/picture.bmp, starts the viewer with the server remembered; sets window, viewer_pid.
# With named=yes the server is the second of two remembered ones and the viewer is started as
# `telorad 127.0.0.1:PORT`.
start_pair() {
    start_display
    size=$1
    depth=$2
    shift 2
    echo "== ${size}, depth $depth, server options: $*"
    case_dir="$work/case"
    rm -rf "$case_dir" && mkdir -p "$case_dir/bin"
    "$server" --size "$size" --depth "$depth" --static "$@" --dump-frame "$case_dir/picture.bmp" \
        || fail "the server did not write its picture"
    start_server --size "$size" --depth "$depth" --static --once "$@"

    # The viewer keeps remote.ini beside itself: a copy in the case directory, with the server
    # remembered, first (which the connect dialog offers) or behind one nobody listens on.
    cp "$telorad" "$case_dir/bin/telorad"
    entry=00
    set --
    if [ "$named" = yes ]; then
        printf '[Client]\r\nHost00=127.0.0.1\r\nPort00=1\r\nPasswd00=wrong\r\n' \
            >"$case_dir/bin/remote.ini"
        entry=01
        set -- "127.0.0.1:$port"
    else
        printf '[Client]\r\n' >"$case_dir/bin/remote.ini"
    fi
    printf 'Host%s=127.0.0.1\r\nPort%s=%s\r\nPasswd%s=%s\r\n' "$entry" "$entry" "$port" \
        "$entry" "$password" >>"$case_dir/bin/remote.ini"
    "$case_dir/bin/telorad" "$@" >"$work/telorad.out" 2>"$work/telorad.err" &
    viewer_pid=$!
    pids="$pids $viewer_pid"
    window=$(wait_window Client) || fail "the main window did not appear"
}

# Remote, 接続, OK in the dialog (and Enter on the warning of an unencrypted login).
connect_through_menu() {
    # Remote is the tallest popup (six items); 接続 is its first item.
    remote=$(open_popup 100 400) || fail "the Remote menu did not open"
    set -- $remote
    xdotool mousemove $(($1 + 30)) $(($2 + 12)) click 1
    dialog=$(wait_window 接続) || fail "the connect dialog did not open"
    eval "$(xdotool getwindowgeometry --shell "$dialog")"
    # OK sits at 131, 77 of the dialog's 218 × 91 units.
    xdotool mousemove $((X + WIDTH * 131 / 218)) $((Y + HEIGHT * 77 / 91)) click 1
    if [ "$caution" = yes ]; then
        wait_window 'caution!' >/dev/null || fail "no warning about the insecure connection"
        xdotool key Return
    fi
}

# Started with a server named: the dialog is open at once, filled in; Enter alone connects.
connect_by_enter() {
    dialog=$(wait_window 接続) || fail "the connect dialog did not open at start"
    xdotool windowfocus --sync "$dialog" key Return
}

# File (the popup of four lines), 終了 (its last item): the window closes, the program ends.
exit_through_menu() {
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
    # The server (--once) ends with the viewer's connection; it is never waited on unbounded.
    tries=0
    while kill -0 "$server_pid" 2>/dev/null; do
        tries=$((tries + 1))
        [ $tries -lt 50 ] || { kill "$server_pid"; break; }
        sleep 0.1
    done
    wait "$server_pid" || true
}

# Waits until a grab of the window, cut to $1 (X Y W H, or "all"), is found in the server's
# picture or the picture in it ($2 = shot-in-picture or picture-in-shot) at position $3
# ("any" or "X,Y"); prints where.
wait_for_match() {
    part=$1
    direction=$2
    want=$3
    tries=0
    while :; do
        if "$grab" grab "$window" "$case_dir/shot.png" >/dev/null 2>&1; then
            shot="$case_dir/shot.png"
            if [ "$part" != all ]; then
                # shellcheck disable=SC2086
                "$grab" crop "$shot" "$case_dir/part.png" $part >/dev/null 2>&1 || true
                shot="$case_dir/part.png"
            fi
            if [ "$direction" = picture-in-shot ]; then
                "$grab" find "$shot" "$case_dir/picture.bmp" "$tolerance" >"$case_dir/find.txt" 2>/dev/null || true
            else
                "$grab" find "$case_dir/picture.bmp" "$shot" "$tolerance" >"$case_dir/find.txt" 2>/dev/null || true
            fi
            at=$(sed -n 's/^found at //p' "$case_dir/find.txt")
            if [ -n "$at" ] && { [ "$want" = any ] || [ "$want" = "$at" ]; }; then
                echo "$at"
                return 0
            fi
        fi
        tries=$((tries + 1))
        [ $tries -lt 60 ] || { cat "$case_dir/find.txt" >&2; return 1; }
        sleep 0.25
    done
}

# The whole picture fits: the client area shows it pixel for pixel.
run_case() {
    depth=$1
    shift
    start_pair 640x360 "$depth" "$@"
    if [ "$named" = yes ]; then connect_by_enter; else connect_through_menu; fi
    at=$(wait_for_match all picture-in-shot any) || fail "the window never showed the server's picture"
    echo "picture found in the window at $at"
    # TELORAD_E2E_SHOT=FILE.png keeps the grab of the window (for a demo).
    if [ -n "${TELORAD_E2E_SHOT:-}" ]; then
        cp "$case_dir/shot.png" "$TELORAD_E2E_SHOT" && echo "window grab saved as $TELORAD_E2E_SHOT"
    fi
    grep -q '"type":"mode","mode":2' "$case_dir/events.log" || fail "no monitor mode on connect"
    exit_through_menu
    echo "ok"
}

# A recording of the server's picture, shown by the viewer without any server.
replay_case() {
    start_display
    echo "== replay of a recording"
    case_dir="$work/case"
    rm -rf "$case_dir" && mkdir -p "$case_dir"
    "$server" --size 320x200 --static --dump-frame "$case_dir/picture.bmp" ||
        fail "the server did not write its picture"
    start_server --size 320x200 --static --once --auth none
    TELORAD_PASSWORD= timeout 60 "$TELORAD_CLI" record --frames 1 "127.0.0.1:$port" \
        "$case_dir/session.rec" >/dev/null || fail "telorad-cli did not record"
    "$telorad" --replay "$case_dir/session.rec" >"$work/telorad.out" 2>"$work/telorad.err" &
    viewer_pid=$!
    pids="$pids $viewer_pid"
    window=$(wait_window Client) || fail "the main window did not appear"
    at=$(wait_for_match all picture-in-shot any) || fail "the window never showed the recording"
    echo "recorded picture found in the window at $at"
    exit_through_menu
    echo "ok"
}

# A picture larger than the window: the wheel scrolls the view, and what the window shows is
# the picture's part at the new offsets (the moved pixels and the repainted strip together).
scroll_case() {
    named=no start_pair 1024x768 24 --auth none
    connect_through_menu
    # Most of the client area (below the menu bar, left of and above the bars), strips included.
    part="0 30 770 540"
    at=$(wait_for_match "$part" shot-in-picture any) || fail "the window never showed the picture"
    x0=${at%,*}
    y0=${at#*,}
    echo "view at $x0,$y0 before scrolling"
    eval "$(xdotool getwindowgeometry --shell "$window")"
    xdotool mousemove $((X + 300)) $((Y + 300))
    xdotool click 5 click 5 click 5  # three notches toward the user: 48 pixels down
    at=$(wait_for_match "$part" shot-in-picture "$x0,$((y0 + 48))") ||
        fail "the view did not scroll 48 pixels down"
    echo "view at $at after three notches down"
    xdotool keydown shift click 5 click 5 keyup shift  # Shift alone: 32 pixels right
    at=$(wait_for_match "$part" shot-in-picture "$((x0 + 32)),$((y0 + 48))") ||
        fail "the view did not scroll 32 pixels right"
    echo "view at $at after two notches with Shift"
    exit_through_menu
    echo "ok"
}

# A server that hangs in the middle of an update: the window stays usable. Its Remote menu
# opens and 切断 ends the connection at once; left alone, the stall limit ends the connection
# with the box.
stall_case() {
    named=no start_pair 640x360 24 --auth none --stall-after 5000
    connect_through_menu
    wait_until has_line '"type":"stall"' "$case_dir/events.log" || fail "the server never stalled"
    # open_popup looks for the popup 0.3 s after each click.
    open_popup 100 400 >/dev/null || fail "the Remote menu did not open during the stall"
    # While connected, 切断 is the popup's first enabled item.
    xdotool key Down Return
    wait_until gone "$server_pid" || fail "切断 did not close the connection during the stall"
    echo "menu opened and 切断 closed the connection during the stall"
    exit_through_menu

    TELORAD_STALL_MS=1500
    export TELORAD_STALL_MS
    named=no start_pair 640x360 24 --auth none --stall-after 5000
    unset TELORAD_STALL_MS
    connect_through_menu
    box=$(wait_window Error.) || fail "no box after the stall limit"
    xdotool windowfocus --sync "$box" key Return
    wait_until gone "$server_pid" || fail "the connection stayed open after the stall limit"
    echo "the stall limit ended the connection with the box"
    exit_through_menu
    echo "ok"
}

# No display at all: the answers come before Qt starts, and the missing display is one line.
nodisplay_case() {
    echo "== without a display"
    : "${TELORAD_VERSION:?must name the project version}"
    expect_exit() {
        want=$1
        shift
        status=0
        env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$@" >"$work/out" 2>"$work/err" ||
            status=$?
        [ "$status" -eq "$want" ] ||
            fail "'$*' exited with $status, not $want: $(cat "$work/out" "$work/err")"
    }
    expect_exit 0 "$telorad" --help
    grep -q '^usage: telorad \[HOST\[:PORT\]\]$' "$work/out" ||
        fail "--help printed: $(cat "$work/out")"
    for program in "$telorad" "$server"; do
        expect_exit 0 "$program" --version
        [ "$(cat "$work/out")" = "$(basename "$program") $TELORAD_VERSION" ] ||
            fail "$program --version printed '$(cat "$work/out")', not version $TELORAD_VERSION"
    done
    for bad in --bogus host:0 host:70000 :5900 "one two" "$(printf 'h%0128d' 0)"; do
        # shellcheck disable=SC2086
        expect_exit 64 "$telorad" $bad
        head -n 1 "$work/err" | grep -q '^telorad: ' ||
            fail "no message for '$bad': $(cat "$work/err")"
    done
    expect_exit 69 "$telorad" 127.0.0.1:9
    [ "$(cat "$work/err")" = "telorad: no display to open (DISPLAY is not set)" ] ||
        fail "no display: $(cat "$work/err")"
    # A display named but not there: the Unix socket of display 65535 (no X server has it).
    expect_exit 69 env DISPLAY=unix:65535 "$telorad"
    [ "$(wc -l <"$work/err")" -eq 1 ] &&
        grep -q "^telorad: cannot open display 'unix:65535'$" "$work/err" ||
        fail "display not there: $(cat "$work/err")"
    echo "ok"
}

shift 3
if [ $# -eq 0 ]; then
    set -- 24 32 16 scroll argument
    [ -n "${TELORAD_CLI:-}" ] && set -- "$@" replay
fi
printf 'e2e-secret\n' >"$work/password"
for depth in "$@"; do
    named=no
    case $depth in
        24) password="" tolerance=0 caution=no run_case 24 --auth none ;;
        32) password="e2e-secret" tolerance=0 caution=no \
            run_case 32 --auth digest --encrypt --password-file "$work/password" ;;
        # 5-bit channels: the screen and the BMP reader may widen them differently.
        16) password="" tolerance=8 caution=yes run_case 16 --auth legacy ;;
        scroll) password="" tolerance=0 caution=no scroll_case ;;
        stall) password="" caution=no stall_case ;;
        # The remembered password of the server named on the command line must be the one sent.
        argument) password="e2e-secret" tolerance=0 caution=no named=yes \
            run_case 32 --auth digest --encrypt --password-file "$work/password" ;;
        replay) tolerance=0 replay_case ;;
        nodisplay) nodisplay_case ;;
        *) fail "no case for depth $depth" ;;
    esac
done
echo "PASS"
