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
#        (default: 24 32 16 scroll argument control hidpi, and replay when TELORAD_CLI is set;
#        stall, flood and nodisplay run only when named)
# Runs on a private Xvfb display. Needs Xvfb, xdotool and xwininfo. TELORAD_VERSION, when set,
# is the version all programs must report.
set -eu
. "$(dirname "$0")/e2e_lib.sh"

# In sanitizer builds, leaks of the system libraries under Qt are not ours to report.
LSAN_OPTIONS="suppressions=$(cd "$(dirname "$0")" && pwd)/qt_lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
export LSAN_OPTIONS

telorad=$1
server=$2
grab=$3
make_workspace

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

# Starts a server ($1 = name, $2 = size, $3 = depth, the rest its login options): its picture in
# $case_dir/NAME.bmp, its events in NAME.log; sets server_pid and server_port. It sends one
# still picture unless $still is set (to the empty text for a moving one).
start_server() {
    name=$1
    server_size=$2
    server_depth=$3
    shift 3
    "$server" --size "$server_size" --depth "$server_depth" ${still---static} "$@" \
        --dump-frame "$case_dir/$name.bmp" || fail "the server did not write its picture"
    "$server" --listen 127.0.0.1:0 --size "$server_size" --depth "$server_depth" \
        ${still---static} --once "$@" --log "$case_dir/$name.log" 2>"$case_dir/$name.err" &
    server_pid=$!
    pids="$pids $server_pid"
    wait_for_log "$case_dir/$name.err" '^listening on ' || fail "the server did not start"
    server_port=$(sed -n 's/^listening on .*:\([0-9]*\)$/\1/p' "$case_dir/$name.err")
}

# Starts the server ($1 = size, $2 = depth, the rest its login options) as `screen`, whose
# picture and events the checks read ($picture, $events), and the viewer with the server
# remembered; sets window, viewer_pid.
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
    start_server screen "$size" "$depth" "$@"
    port=$server_port
    picture="$case_dir/screen.bmp"
    events="$case_dir/screen.log"

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

# The Remote popup, opened with the mouse (the tallest popup: six items); prints "X Y W H".
open_remote() {
    open_popup $((100 * scale)) $((400 * scale))
}

# Remote, 接続, OK in the dialog (and Enter on the warning of an unencrypted login). With a port
# as $1, the dialog's port field is set to it first.
connect_through_menu() {
    remote=$(open_remote) || fail "the Remote menu did not open"
    set -- $remote ${1:-}
    # 接続 is the first item.
    xdotool mousemove $(($1 + 30 * scale)) $(($2 + 12 * scale)) click 1
    dialog=$(wait_window 接続) || fail "the connect dialog did not open"
    eval "$(xdotool getwindowgeometry --shell "$dialog")"
    if [ -n "${5:-}" ]; then
        # The port field spans 160..200, 24..38 of the dialog's 218 × 91 units.
        xdotool mousemove $((X + WIDTH * 180 / 218)) $((Y + HEIGHT * 31 / 91)) click 1
        xdotool key ctrl+a type "$5"
    fi
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
    file=$(open_popup $((60 * scale)) $((99 * scale))) || fail "the File menu did not open"
    set -- $file
    xdotool mousemove $(($1 + 30 * scale)) $(($2 + $4 - 12 * scale)) click 1
    wait_gone "$viewer_pid" 50 || fail "the viewer did not exit"
    wait "$viewer_pid" || fail "the viewer exited with an error"
    # The server (--once) ends with the viewer's connection; it is never waited on unbounded.
    wait_gone "$server_pid" 50 || kill "$server_pid"
    wait "$server_pid" || true
}

# Waits until a grab of the window, cut to $1 (X Y W H, or "all"), is found in the server's
# picture or the picture in it ($2 = shot-in-picture or picture-in-shot) at position $3
# ("any" or "X,Y"); prints where.
wait_for_match() {
    tries=0
    until look_for_match "$1" "$2" "$picture" "$3"; do
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
    grep -q '"type":"mode","mode":2' "$events" || fail "no monitor mode on connect"
    exit_through_menu
    echo "ok"
}

# A recording of the server's picture, shown by the viewer without any server.
replay_case() {
    start_display
    echo "== replay of a recording"
    case_dir="$work/case"
    rm -rf "$case_dir" && mkdir -p "$case_dir"
    start_server screen 320x200 24 --auth none
    picture="$case_dir/screen.bmp"
    TELORAD_PASSWORD= timeout 60 "$TELORAD_CLI" record --frames 1 "127.0.0.1:$server_port" \
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

# A server that hangs in the middle of an update: the window stays usable. Its Remote menu
# opens and 切断 ends the connection at once; a close request ends the viewer at once; left
# alone, the stall limit ends the connection with the box.
stall_case() {
    named=no start_pair 640x360 24 --auth none --stall-after 5000
    connect_through_menu
    wait_for_log "$events" '"type":"stall"' || fail "the server never stalled"
    # open_popup looks for the popup 0.3 s after each click.
    open_remote >/dev/null || fail "the Remote menu did not open during the stall"
    sleep 0.2  # the popup takes the keyboard once it shows
    # While connected, 切断 is the popup's first enabled item.
    xdotool key Down Return
    wait_gone "$server_pid" 100 || fail "切断 did not close the connection during the stall"
    echo "menu opened and 切断 closed the connection during the stall"
    exit_through_menu

    # The window's close button (without a window manager here, the message it sends).
    named=no start_pair 640x360 24 --auth none --stall-after 5000
    connect_through_menu
    wait_for_log "$events" '"type":"stall"' || fail "the server never stalled"
    "$grab" close "$window" || fail "the close request could not be sent"
    status=""
    wait_exit_zero "$viewer_pid" ||
        fail "a close request during the stall: the viewer did not exit, or exited with $status"
    wait_gone "$server_pid" 50 || fail "the connection stayed open after the viewer closed"
    echo "a close request during the stall ended the viewer with code 0"

    TELORAD_STALL_MS=1500
    export TELORAD_STALL_MS
    named=no start_pair 640x360 24 --auth none --stall-after 5000
    unset TELORAD_STALL_MS
    connect_through_menu
    box=$(wait_window Error.) || fail "no box after the stall limit"
    xdotool windowfocus --sync "$box" key Return
    wait_gone "$server_pid" 100 || fail "the connection stayed open after the stall limit"
    echo "the stall limit ended the connection with the box"
    exit_through_menu
    echo "ok"
}

# A server that never pauses (its frame again and again, as fast as the viewer reads): the
# window's events are handled between slices of reading, so its Remote menu opens and 切断
# ends the connection.
flood_case() {
    still=""
    named=no start_pair 640x360 24 --auth none --fps 0 --repeat-frame
    unset still
    connect_through_menu
    wait_for_log "$events" '"type":"mode"' || fail "the viewer did not connect"
    sleep 1  # the stream is flowing
    open_remote >/dev/null || fail "the Remote menu did not open while the server flooded the window"
    sleep 0.2
    xdotool key Down Return
    wait_gone "$server_pid" 100 || fail "切断 did not close the connection during the flood"
    echo "menu opened and 切断 closed the connection while the server never paused"
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

# The Remote popup opened with the mouse and driven with the arrow keys, as a menu open on the
# screen may be: $1 Downs (接続 is grayed while connected, so the first is 切断), then Return.
choose_in_remote() {
    open_remote >/dev/null || fail "the Remote menu did not open"
    sleep 0.2  # the popup takes the keyboard once it shows
    downs=$1
    while [ "$downs" -gt 0 ]; do
        xdotool key Down
        downs=$((downs - 1))
    done
    xdotool key Return
}

# In control mode, as a person works: a second server with a larger picture after the first,
# its scroll bar dragged to the end, a click there; a menu closed with Esc, then typing; keys
# held while another window takes the keyboard.
control_case() {
    named=no start_pair 1024x768 24 --auth none
    first_server=$server_pid
    start_server large 1920x1080 24 --auth none

    connect_through_menu
    part="0 30 770 540"
    wait_for_match "$part" shot-in-picture any >/dev/null || fail "the first picture never showed"
    choose_in_remote 1  # 切断
    # The first server (--once) ends with the viewer's connection.
    wait_gone "$first_server" 100 || fail "切断 did not close the connection"
    wait "$first_server" || true
    connect_through_menu "$server_port"
    picture="$case_dir/large.bmp"
    events="$case_dir/large.log"
    at=$(wait_for_match "$part" shot-in-picture any) || fail "the larger picture never showed"
    menu_height=$((30 - ${at#*,}))

    # The horizontal thumb dragged to the right end shows the picture's right edge: the bar has
    # the new picture's range, not the first one's (1024 - client width, about 240 pixels).
    eval "$(xdotool getwindowgeometry --shell "$window")"
    xdotool mousemove $((X + 40)) $((Y + HEIGHT - 6)) mousedown 1
    xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT - 6))
    xdotool mousemove $((X + WIDTH + 300)) $((Y + HEIGHT - 6)) mouseup 1
    tries=0
    while :; do
        at=$(wait_for_match "$part" shot-in-picture any) || fail "the picture was lost"
        [ "${at%,*}" -ge 1100 ] && break
        tries=$((tries + 1))
        [ $tries -lt 20 ] || fail "the thumb at the right end shows column ${at%,*}, not the right edge"
        sleep 0.1
    done
    scroll_x=${at%,*}
    echo "thumb at the right end: view at column $scroll_x of 1920"

    choose_in_remote 4  # 制御
    wait_for_log "$events" '"type":"mode","mode":3' || fail "no control mode"
    xdotool mousemove $((X + 100)) $((Y + menu_height + 100)) click 1
    wait_for_log "$events" "\"event\":514,\"x\":$((100 + scroll_x)),\"y\":100," ||
        fail "a click at 100,100 did not reach the server at $((100 + scroll_x)),100"

    # Esc closes the menu and gives the keyboard back: the keys reach the server, and Down and
    # Return open and choose nothing.
    open_remote >/dev/null || fail "the Remote menu did not open"
    xdotool key Escape
    sleep 0.3
    xdotool type asd
    xdotool key Down Return
    for vk in 65 83 68 40 13; do
        wait_for_log "$events" "\"released\":1,\"vk\":$vk}" ||
            fail "key $vk typed after Esc did not reach the server"
    done
    [ -z "$(popups)" ] || fail "a menu opened from the keyboard"
    grep -q '"type":"disconnect"' "$events" && fail "Return after Esc disconnected"

    # Shift+W held while the keyboard goes to another window: released on the server at once.
    xdotool keydown shift keydown w
    wait_for_log "$events" '"released":0,"vk":87}' || fail "W did not go down"
    # The root window takes the focus, with the pointer away from the viewer: held keys now
    # repeat to nobody.
    root=$(xwininfo -root | sed -n 's/.*Window id: \(0x[0-9a-f]*\).*/\1/p')
    xdotool mousemove 1270 1010
    xdotool windowfocus "$root"
    for vk in 16 87 160; do
        wait_for_log "$events" "\"released\":1,\"vk\":$vk}" ||
            fail "key $vk stayed down on the server after the focus went"
    done
    xdotool keyup w keyup shift
    xdotool windowfocus "$window"
    exit_through_menu
    echo "ok"
}

# At scale 2: the start window shows the whole menu bar (Help is the last popup on it, not behind
# an overflow button), and a click on any device pixel reaches the server as that pixel.
hidpi_case() {
    QT_SCALE_FACTOR=2
    export QT_SCALE_FACTOR
    scale=2
    named=no start_pair 640x360 24 --auth none
    eval "$(xdotool getwindowgeometry --shell "$window")"
    # From the right end of the bar leftward, the first popup is Help: its one item is the
    # version box.
    x=$((X + WIDTH - 4))
    while [ -z "$(popups)" ] && [ $x -gt $X ]; do
        xdotool mousemove "$x" $((Y + 20)) click 1
        sleep 0.3
        x=$((x - 12))
    done
    help=$(popups | head -n 1)
    [ -n "$help" ] || fail "no menu at the right end of the bar"
    set -- $help
    xdotool mousemove $(($1 + 30 * scale)) $(($2 + 12 * scale)) click 1
    about=$(wait_window 'About Telorad client') || fail "the bar's last popup is not Help"
    timeout 10 xdotool windowfocus --sync "$about" key Return || fail "the version box took no key"

    connect_through_menu
    wait_for_match all picture-in-shot any >/dev/null || fail "the picture never showed"
    choose_in_remote 4  # 制御
    wait_for_log "$events" '"type":"mode","mode":3' || fail "no control mode"
    eval "$(xdotool getwindowgeometry --shell "$window")"
    menu_height=$((HEIGHT - 360))
    for point in 301,201 300,200 1,1 0,0 639,359 77,358; do
        px=${point%,*}
        py=${point#*,}
        xdotool mousemove $((X + px)) $((Y + menu_height + py)) click 1
        wait_for_log "$events" "\"event\":514,\"x\":$px,\"y\":$py," ||
            fail "a click on device pixel $px,$py did not reach the server as that pixel"
    done
    echo "six clicks at scale 2 reached the server on their own pixels"
    # A double click is two presses and two releases, no more.
    xdotool mousemove $((X + 10)) $((Y + menu_height + 11)) click --repeat 2 --delay 80 1
    wait_for_log "$events" '"event":514,"x":10,"y":11,' || fail "no double click"
    sleep 0.5
    [ "$(grep -c '"event":513,"x":10,"y":11,' "$events")" -eq 2 ] &&
        [ "$(grep -c '"event":514,"x":10,"y":11,' "$events")" -eq 2 ] ||
        fail "a double click did not reach the server as two clicks"
    exit_through_menu
    unset QT_SCALE_FACTOR
    scale=1
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
    set -- 24 32 16 scroll argument control hidpi
    [ -n "${TELORAD_CLI:-}" ] && set -- "$@" replay
fi
scale=1
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
        # The remembered password of the server named on the command line must be the one sent.
        argument) password="e2e-secret" tolerance=0 caution=no named=yes \
            run_case 32 --auth digest --encrypt --password-file "$work/password" ;;
        control) password="" tolerance=0 caution=no control_case ;;
        hidpi) password="" tolerance=0 caution=no hidpi_case ;;
        stall) password="" caution=no stall_case ;;
        flood) password="" caution=no flood_case ;;
        replay) tolerance=0 replay_case ;;
        nodisplay) nodisplay_case ;;
        *) fail "no case for depth $depth" ;;
    esac
done
echo "PASS"
