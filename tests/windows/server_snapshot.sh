#!/bin/sh
# telorad-server.exe and telorad-cli.exe, both under Wine, on loopback: each case logs in, takes
# a snapshot and finds it equal byte for byte to the server's own --dump-frame of the picture;
# the server's log shows the login, and with --once the server ends when the client has gone.
# usage: server_snapshot.sh TELORAD_SERVER_EXE TELORAD_CLI_EXE WINE_COMMAND...
set -eu
. "$(dirname "$0")/../e2e/e2e_lib.sh"

server=$1 cli=$2
shift 2
make_workspace
fail() { echo "FAIL: $*" >&2; exit 1; }

# One case: the login ($1: digest-cipher, digest or legacy), the picture's options ($2), then
# the Wine command.
snapshot_case() {
    login=$1 picture=$2
    shift 2
    case $login in
        digest-cipher) login_options="--auth digest --encrypt" scheme=digest ;;
        *) login_options="--auth $login" scheme=$login ;;
    esac
    echo "== $login, $picture"
    dir="$work/$login" && mkdir -p "$dir"
    printf 'snapshot-%s' "$login" >"$dir/password"
    # shellcheck disable=SC2086
    timeout 60 "$@" "$server" --static $picture --dump-frame "$dir/picture.bmp" ||
        fail "the server did not write its picture"
    # shellcheck disable=SC2086
    timeout 120 "$@" "$server" --listen 127.0.0.1:0 --once --static $picture $login_options \
        --password-file "$dir/password" >"$dir/events.log" 2>"$dir/server.err" &
    server_pid=$!
    pids="$pids $server_pid"
    wait_for_log "$dir/server.err" '^listening on ' || fail "no listening line: $(cat "$dir/server.err")"
    port=$(sed -n 's/^listening on 127\.0\.0\.1:\([0-9][0-9]*\)$/\1/p' "$dir/server.err")
    [ -n "$port" ] || fail "unreadable listening line: $(cat "$dir/server.err")"
    TELORAD_PASSWORD=$(cat "$dir/password") timeout 60 "$@" "$cli" snapshot --settle 200 \
        "127.0.0.1:$port" "$dir/shot.bmp" >"$dir/cli.out" 2>&1 ||
        fail "telorad-cli.exe: $(cat "$dir/cli.out")"
    cmp "$dir/picture.bmp" "$dir/shot.bmp" || fail "the snapshot differs from the server's picture"
    grep -q "\"type\":\"auth\",\"scheme\":\"$scheme\",\"result\":\"ok\"" "$dir/events.log" ||
        fail "no $scheme login in the server's log: $(cat "$dir/events.log")"
    # --once: the server ends by itself when the client has gone.
    status=0
    wait_gone "$server_pid" 100 || fail "the server did not end after its client"
    wait "$server_pid" || status=$?
    [ "$status" -eq 0 ] || fail "the server exited with $status"
    echo "ok: $(cat "$dir/cli.out")"
}

snapshot_case digest-cipher "--size 1024x768 --depth 32 --encoding raw" "$@"
snapshot_case legacy "--size 320x200 --depth 16 --encoding rle" "$@"
