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
    g++-mingw-w64-x86-64-posix mingw-w64-tools wine wine64 locales zip
    "$@"
)

# Wine shows the Windows front end's Japanese only under a Japanese locale.
enable_japanese_locale() {
    if locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then return; fi
    echo "install-deps: generating the ja_JP.UTF-8 locale"
    "${sudo_cmd[@]}" sed -i 's/^# *\(ja_JP\.UTF-8 UTF-8\)/\1/' /etc/locale.gen
    grep -q '^ja_JP\.UTF-8 UTF-8' /etc/locale.gen ||
        echo 'ja_JP.UTF-8 UTF-8' | "${sudo_cmd[@]}" tee -a /etc/locale.gen >/dev/null
    "${sudo_cmd[@]}" locale-gen
}

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi

if [ ${#missing[@]} -eq 0 ]; then
    echo "install-deps: every package is installed"
else
    echo "install-deps: installing ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    "${sudo_cmd[@]}" apt-get update -qq
    "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
enable_japanese_locale
