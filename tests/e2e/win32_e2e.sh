#!/bin/sh
# End to end for the Windows front end under Wine: telorad.exe on a private Xvfb display with a
# Japanese locale, driven with the mouse and keys as a person would, connects through its menu
# and dialog to the Linux telorad-server on loopback. A grab of the window must hold the
# server's own picture pixel for pixel (16, 24 and 32 bits; digest with cipher, legacy, no
# login); the wheel scrolls; control mode sends the keys typed; Exit ends with code 0, and so
# does the close button while the server hangs mid-update. The case `interchange` checks
# remote.ini against Windows' own profile functions, both ways.
#
# usage: with_xvfb.sh sh win32_e2e.sh WINE TELORAD_EXE TELORAD_CLI_EXE PROFILE_PROBE_EXE
#            TELORAD_SERVER TELORAD_CLI WINDOW_GRAB [CASE...]
#            (default: 16 24 32 scroll close interchange)
# The last three are Linux programs; without them, a display, xdotool or the locale it is skipped.
set -eu
. "$(dirname "$0")/e2e_lib.sh"

absolute() { case $1 in /*) echo "$1" ;; *) echo "$PWD/$1" ;; esac; }
wine=$1
telorad=$(absolute "$2") cli_exe=$(absolute "$3") probe=$(absolute "$4")
server=$(absolute "$5") cli=$(absolute "$6") grab=$(absolute "$7")
shift 7
make_workspace

fail() {
    echo "FAIL: $*" >&2
    [ -n "${TELORAD_E2E_KEEP:-}" ] && cp -r "$work" "$TELORAD_E2E_KEEP"
    exit 1
}

for program in "$server" "$cli" "$grab"; do
    [ -x "$program" ] || { echo "SKIP: $program is not built (Linux build)"; exit 77; }
done
for tool in xdotool wineserver; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$' || { echo "SKIP: no ja_JP.UTF-8 locale"; exit 77; }

[ -n "${DISPLAY:-}" ] || { echo "SKIP: no display (run it under scripts/with_xvfb.sh)"; exit 77; }
LANG=ja_JP.UTF-8
LC_ALL=ja_JP.UTF-8
export LANG LC_ALL
start_wine_prefix "$wine" || fail "wineboot did not make the prefix"

# Starts the server ($1 size, $2 depth, then its options) and telorad.exe with the server
# remembered (password $password); sets case_dir, port, window, viewer_pid.
start_pair() {
    size=$1 depth=$2
    shift 2
    echo "== ${size}, depth $depth, server options: $*"
    case_dir="$work/case"
    rm -rf "$case_dir" && mkdir -p "$case_dir/bin"
    printf '%s' "$password" >"$case_dir/password"
    "$server" --size "$size" --depth "$depth" --static "$@" --password-file "$case_dir/password" \
        --dump-frame "$case_dir/picture.bmp" || fail "the server did not write its picture"
    "$server" --listen 127.0.0.1:0 --size "$size" --depth "$depth" --static --once "$@" \
        --password-file "$case_dir/password" >"$case_dir/events.log" 2>"$case_dir/server.err" &
    server_pid=$!
    pids="$pids $server_pid"
    wait_for_log "$case_dir/server.err" '^listening on ' || fail "the server did not start"
    port=$(sed -n 's/^listening on .*:\([0-9]*\)$/\1/p' "$case_dir/server.err")
    cp "$telorad" "$case_dir/bin/telorad.exe"
    printf '[Client]\r\nHost00=127.0.0.1\r\nPort00=%s\r\nPasswd00=%s\r\n' "$port" "$password" \
        >"$case_dir/bin/remote.ini"
    start_viewer
}

start_viewer() {
    (cd "$case_dir/bin" && exec "$wine" telorad.exe) >"$work/telorad.out" 2>&1 &
    viewer_pid=$!
    pids="$pids $viewer_pid"
    window=$(wait_window Client) || fail "the main window did not appear"
    eval "$(xdotool getwindowgeometry --shell "$window")"
}

# Opens a menu bar popup with a click on its caption ($1: x offset in the window) and picks an
# item with the arrow keys ($2...), then Return.
choose() {
    xdotool mousemove $((X + $1)) $((Y + 10)) click 1
    sleep 0.5
    shift
    xdotool key "$@" Return
}

remote_menu() { choose 150 "$@"; }  # リモート(R)
file_menu() { choose 35 "$@"; }     # ファイル(F)

connect_through_menu() {
    remote_menu Down  # 接続, the first item
    dialog=$(wait_window 接続) || fail "the connect dialog did not open"
    xdotool windowfocus --sync "$dialog" key Return  # OK is the default button
}

# Until the server's picture is found in a grab of the window, or of $1 (X Y W H) of it, the
# other way round ($2 = shot-in-picture); answers the unencrypted-login warning on the way.
wait_for_match() {
    tries=0
    while :; do
        caution=$(xdotool search --onlyvisible --name '^caution!$' 2>/dev/null | head -n 1 || true)
        [ -n "$caution" ] && xdotool windowfocus --sync "$caution" key Return
        look_for_match "${1:-all}" "${2:-picture-in-shot}" "$case_dir/picture.bmp" "${want:-any}" &&
            return 0
        tries=$((tries + 1))
        [ $tries -lt 80 ] || { cat "$case_dir/find.txt" >&2; return 1; }
        sleep 0.25
    done
}

exit_through_menu() {
    file_menu Up  # 終了, the last item
    wait_exit_zero "$viewer_pid" || fail "telorad.exe did not exit, or exited with ${status:-?}"
    kill "$server_pid" 2>/dev/null || true
    wait "$server_pid" 2>/dev/null || true
}

picture_case() {
    start_pair 640x360 "$@"
    connect_through_menu
    at=$(want="" wait_for_match) || fail "the window never showed the server's picture"
    echo "picture found in the window at $at"
    grep -q '"type":"mode","mode":2' "$case_dir/events.log" || fail "no monitor mode on connect"
}

# Control mode, then a and b typed into the window: presses and releases in the server's log.
control_keys() {
    remote_menu Down Down Down Down Down  # 接続 切断 待機 監視 制御
    sleep 0.3
    xdotool windowfocus --sync "$window" key a b
    tries=0
    until [ "$(grep -c '"type":"key","released":[01],"vk":6[56]' "$case_dir/events.log")" -ge 4 ]; do
        tries=$((tries + 1))
        [ $tries -lt 50 ] || fail "the keys typed in control mode did not reach the server"
        sleep 0.1
    done
    grep -q '"type":"mode","mode":3' "$case_dir/events.log" || fail "no control mode"
    echo "control mode: a and b pressed and released at the server"
}

scroll_case() {
    password="" start_pair 1024x768 24 --auth none
    connect_through_menu
    part="0 30 760 520"  # below the menu bar, clear of the scroll bars
    at=$(want="" wait_for_match "$part" shot-in-picture) || fail "the window never showed the picture"
    x0=${at%,*} y0=${at#*,}
    xdotool mousemove $((X + 300)) $((Y + 300)) click 5 click 5 click 5
    at=$(want="$x0,$((y0 + 48))" wait_for_match "$part" shot-in-picture) ||
        fail "three notches toward the user did not scroll 48 pixels down"
    echo "wheel: view moved from $x0,$y0 to $at"
    exit_through_menu
}

# A server that hangs in the middle of an update; the window's close button (without a window
# manager here, the message it sends) ends telorad.exe at once, with code 0.
close_case() {
    password="" start_pair 640x360 24 --auth none --stall-after 5000
    connect_through_menu
    wait_for_log "$case_dir/events.log" '"type":"stall"' || fail "the server never stalled"
    "$grab" close "$window" || fail "the close request could not be sent"
    status=""
    wait_exit_zero "$viewer_pid" ||
        fail "a close request during the stall: telorad.exe did not exit, or exited with $status"
    echo "a close request during the stall ended telorad.exe with code 0"
    kill "$server_pid" 2>/dev/null || true
    wait "$server_pid" 2>/dev/null || true
}

# Windows' profile functions and ours read each other's remote.ini byte for byte.
interchange_case() {
    password=$(printf '\203\160\203\130\\')  # パス and a backslash, in CP932
    start_pair 320x200 24 --auth digest --encrypt
    want_hex=837083585c
    # A file the Windows side wrote logs in all three clients.
    rm "$case_dir/bin/remote.ini"
    ini="$case_dir/bin/remote.ini"
    WINEDEBUG=-all "$wine" "$probe" write "$ini" Host00 "$(printf '127.0.0.1' | od -An -tx1 | tr -d ' \n')" ||
        fail "the probe did not write"
    "$wine" "$probe" write "$ini" Port00 "$(printf '%s' "$port" | od -An -tx1 | tr -d ' \n')"
    "$wine" "$probe" write "$ini" Passwd00 "$want_hex"
    grep -q "$(printf 'Passwd00=\203\160\203\130\\\\\r')" "$ini" || fail "the probe wrote $(od -c "$ini")"
    kill "$viewer_pid" 2>/dev/null; wait "$viewer_pid" 2>/dev/null || true
    start_viewer
    connect_through_menu
    want="" wait_for_match >/dev/null || fail "telorad.exe did not log in with the probe's file"
    exit_through_menu
    echo "telorad.exe logged in with the password the probe stored"
    for client in windows linux; do
        "$server" --listen 127.0.0.1:0 --size 320x200 --static --once --auth digest \
            --password-file "$case_dir/password" >/dev/null 2>"$case_dir/server2.err" &
        pids="$pids $!"
        wait_for_log "$case_dir/server2.err" '^listening on ' || fail "the server did not start"
        port2=$(sed -n 's/^listening on .*:\([0-9]*\)$/\1/p' "$case_dir/server2.err")
        "$wine" "$probe" write "$ini" Port00 "$(printf '%s' "$port2" | od -An -tx1 | tr -d ' \n')"
        if [ "$client" = windows ]; then
            cp "$cli_exe" "$case_dir/bin/telorad-cli.exe"
            (cd "$case_dir/bin" && timeout 60 "$wine" telorad-cli.exe snapshot --settle 100 \
                "127.0.0.1:$port2" out.bmp) >"$case_dir/cli.out" 2>&1 ||
                fail "telorad-cli.exe did not log in: $(cat "$case_dir/cli.out")"
        else
            cp "$cli" "$case_dir/bin/telorad-cli"
            (cd "$case_dir/bin" && HOME="$work" timeout 60 ./telorad-cli snapshot --settle 100 \
                "127.0.0.1:$port2" out.bmp) >"$case_dir/cli.out" 2>&1 ||
                fail "the Linux telorad-cli did not log in: $(cat "$case_dir/cli.out")"
        fi
        echo "$client telorad-cli logged in with the probe's file"
    done
    # A password typed into telorad.exe's dialog is stored so the Windows side reads it back.
    printf '[Client]\r\n' >"$ini"
    start_viewer_typed
}

# Types パス into the password field of a fresh dialog (and port 1, where nothing listens on
# loopback) and confirms; the probe reads the password back as CP932.
start_viewer_typed() {
    start_viewer
    remote_menu Down
    dialog=$(wait_window 接続) || fail "the connect dialog did not open"
    eval "$(xdotool getwindowgeometry --shell "$dialog" | sed 's/^/D/')"
    sleep 0.5  # the controls are made after the dialog window shows
    # Port at 160, 24 (40 × 14) and password at 52, 43 (40 × 14) of the 218 × 91 units.
    xdotool mousemove $((DX + DWIDTH * 180 / 218)) $((DY + DHEIGHT * 31 / 91)) click 1 \
        key ctrl+a type 1
    xdotool mousemove $((DX + DWIDTH * 70 / 218)) $((DY + DHEIGHT * 50 / 91)) click 1
    sleep 0.3
    # Characters outside the keyboard map are typed through a remapped key: slowly, so each
    # remapping has reached the program before its key arrives.
    xdotool type --delay 200 'パス'
    sleep 0.3
    xdotool key Return
    box=$(wait_window Debug) || fail "no Connection Error box for port 1"
    xdotool windowfocus --sync "$box" key Return
    read_back=$("$wine" "$probe" read "$ini" Passwd00 | tr -d '\r')
    [ "$read_back" = 83708358 ] || fail "GetPrivateProfileStringA read Passwd00 as '$read_back'"
    echo "the password typed into telorad.exe reads back as CP932 83 70 83 58"
    exit_through_menu
}

# 8-bit channels compare exactly. A 16-bit picture's 5-bit channels are widened to 8 bits once
# by Wine's GDI and once by the BMP reader of the comparison, each in its own way (with or
# without the low bits repeated), so they may differ below 8.
tolerance=0
[ $# -gt 0 ] || set -- 16 24 32 scroll close interchange
for case in "$@"; do
    case $case in
        16) tolerance=7 password="e2e-secret" picture_case 16 --auth digest --encrypt; exit_through_menu ;;
        24) tolerance=0 password="legacy-pw" picture_case 24 --auth legacy; control_keys; exit_through_menu ;;
        32) tolerance=0 password="" picture_case 32 --auth none; exit_through_menu ;;
        scroll) tolerance=0 scroll_case ;;
        close) tolerance=0 close_case ;;
        interchange) tolerance=0 interchange_case ;;
        *) fail "unknown case $case" ;;
    esac
    echo "ok"
done
