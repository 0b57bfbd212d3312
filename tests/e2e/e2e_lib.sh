# Waits shared by the end-to-end scripts (sourced): each gives up after a bound and returns 1.
# Also the scripts' working directory and, for Windows programs, their own Wine prefix.

# A working directory ($work), removed on exit together with the processes listed in $pids
# and the wineserver of a prefix that start_wine_prefix made in it.
make_workspace() {
    work=$(mktemp -d)
    pids=""
    trap end_workspace EXIT INT TERM
}

end_workspace() {
    for pid in $pids; do kill "$pid" 2>/dev/null || true; done
    # Only this run's own Wine prefix is shut down.
    [ -d "$work/prefix" ] && WINEPREFIX="$work/prefix" wineserver -k 2>/dev/null || true
    rm -rf "$work"
}

# Makes a Wine prefix of the script's own in $work/prefix, with quiet logs, using the Wine
# command $1 (default wine); false when wineboot fails.
start_wine_prefix() {
    WINEPREFIX="$work/prefix"
    WINEDEBUG=-all
    export WINEPREFIX WINEDEBUG
    timeout 180 "${1:-wine}" wineboot -i >/dev/null 2>&1
}

# The pid of the wineserver of the prefix in $WINEPREFIX; false when none runs.
wineserver_pid() {
    for pid in $(pgrep -x wineserver64; pgrep -x wineserver); do
        { tr '\0' '\n' <"/proc/$pid/environ"; } 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX" &&
            { echo "$pid"; return 0; }
    done
    return 1
}

# Waits for a visible window titled exactly $1, for 20 s at the most; prints its id.
wait_window() {
    tries=0
    while :; do
        id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1 || true)
        [ -n "$id" ] && { echo "$id"; return 0; }
        tries=$((tries + 1))
        [ $tries -lt 200 ] || return 1
        sleep 0.1
    done
}

# Waits up to 10 s until the file $1 (a server's log or error output) has a line matching $2.
wait_for_log() {
    tries=0
    until grep -q -- "$2" "$1" 2>/dev/null; do
        tries=$((tries + 1))
        [ $tries -lt 100 ] || return 1
        sleep 0.1
    done
}

# Processor time (user + system, in clock ticks) of the processes $@ together, from /proc.
# The fields are counted after the command name, which may hold spaces.
cpu_ticks() {
    for pid in "$@"; do sed 's/^.*) //' "/proc/$pid/stat"; done |
        awk '{ total += $12 + $13 } END { print total + 0 }'
}

# Waits up to $2 tenths of a second for process $1 to end; false when it did not.
wait_gone() {
    tries=0
    while kill -0 "$1" 2>/dev/null; do
        tries=$((tries + 1))
        [ $tries -lt "$2" ] || return 1
        sleep 0.1
    done
}

# One look at the window $window through $grab: its grab, cut to $1 (X Y W H, or "all"), found
# in the picture $3 or holding it ($2 = shot-in-picture or picture-in-shot) within $tolerance,
# at position $4 ("any" or "X,Y"). Prints where and succeeds when it is there; the last answer
# of the finder stays in $case_dir/find.txt.
look_for_match() {
    look_shot="$case_dir/shot.png"
    "$grab" grab "$window" "$look_shot" >/dev/null 2>&1 || return 1
    if [ "$1" != all ]; then
        # shellcheck disable=SC2086
        "$grab" crop "$look_shot" "$case_dir/part.png" $1 >/dev/null 2>&1 || true
        look_shot="$case_dir/part.png"
    fi
    if [ "$2" = picture-in-shot ]; then
        "$grab" find "$look_shot" "$3" "$tolerance" >"$case_dir/find.txt" 2>&1 || true
    else
        "$grab" find "$3" "$look_shot" "$tolerance" >"$case_dir/find.txt" 2>&1 || true
    fi
    look_at=$(sed -n 's/^found at //p' "$case_dir/find.txt")
    [ -n "$look_at" ] && { [ "$4" = any ] || [ "$4" = "$look_at" ]; } && echo "$look_at"
}

# Waits up to 10 s for the process $1 to end, and for its exit code to be 0; returns 1 if it
# does not end in time, 2 (with the code in $status) if it ends with another code.
wait_exit_zero() {
    wait_gone "$1" 100 || return 1
    status=0
    wait "$1" || status=$?
    [ "$status" -eq 0 ] || return 2
}
