#!/usr/bin/env bash
# The main job on a fresh machine: set up, build, start the bundled server and open the viewer.
# With a display, the viewer opens for you: choose リモート > 接続 and OK (127.0.0.1:9876, empty
# password). Without one, the viewer runs on a private Xvfb display, is driven through its menus
# and the connect dialog like a user would, and a grab of its window is saved.
# Usage: scripts/demo.sh [SCREENSHOT.png]
set -euo pipefail
cd "$(dirname "$0")/.."
shot=${1:-$PWD/out/telorad-demo.png}
mkdir -p "$(dirname "$shot")"

scripts/install-deps.sh
scripts/build.sh release telorad telorad-server telorad-cli window_grab

if [ -n "${DISPLAY:-}" ] && xdotool getdisplaygeometry >/dev/null 2>&1; then
    build/server/telorad-server --listen 127.0.0.1:9876 --encrypt --log /dev/null &
    server=$!
    trap 'kill $server 2>/dev/null || true' EXIT
    echo "demo: telorad-server listens on 127.0.0.1:9876 (digest login, empty password, encrypted)"
    echo "demo: in the viewer choose リモート > 接続, then OK"
    env -u QT_QPA_PLATFORM build/frontends/qt/telorad
    exit 0
fi

echo "demo: no display; running the viewer on Xvfb and connecting through its menus"
TELORAD_E2E_SHOT=$shot sh tests/e2e/viewer_e2e.sh build/frontends/qt/telorad \
    build/server/telorad-server build/tests/e2e/window_grab 32
echo "demo: the viewer's window, showing the server's screen, is in $shot"
