#!/usr/bin/env bash
# The main job on a fresh machine: set up, build, start the bundled server and take a picture of
# its screen with the headless client. Usage: scripts/demo.sh [OUTPUT.bmp]
set -euo pipefail
cd "$(dirname "$0")/.."
output=${1:-$PWD/out/telorad-demo.bmp}
mkdir -p "$(dirname "$output")"

scripts/install-deps.sh
scripts/build.sh release telorad-server telorad-cli

log=$(mktemp)
build/server/telorad-server --listen 127.0.0.1:0 --encrypt --once --log /dev/null 2>"$log" &
server=$!
trap 'kill $server 2>/dev/null || true; rm -f "$log"' EXIT
for _ in $(seq 100); do
    grep -q 'listening on' "$log" && break
    sleep 0.05
done
address=$(sed -n 's/^listening on //p' "$log" | head -1)
[ -n "$address" ] || { echo "demo: the server did not start" >&2; cat "$log" >&2; exit 1; }
echo "demo: telorad-server is listening on $address (digest login, encrypted stream)"

TELORAD_PASSWORD= build/frontends/cli/telorad-cli snapshot "$address" "$output"
echo "demo: the server's screen is in $output"
