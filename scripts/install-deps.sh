#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the demo need, and any named on the
# command line. Skips what is installed.
set -euo pipefail

packages=(
    cmake ninja-build g++ pkg-config
    googletest libgtest-dev libgmock-dev libbenchmark-dev
    libssl-dev libpng-dev
    clang libclang-rt-14-dev
    qt6-base-dev qt6-base-dev-tools libgl-dev libxcb1-dev librsvg2-bin
    xvfb xauth xdotool x11-utils
    fonts-noto-cjk
    "$@"
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    echo "install-deps: everything is installed"
    exit 0
fi

echo "install-deps: installing ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
