#!/usr/bin/env bash
# Configures and builds. Usage: scripts/build.sh [release|sanitize|fuzz|windows] [TARGET...]
set -euo pipefail
cd "$(dirname "$0")/.."

flavour=${1:-release}
shift || true
targets=()
for target in "$@"; do targets+=(--target "$target"); done
case "$flavour" in
    release)  dir=build;          args=() ;;
    sanitize) dir=build-sanitize; args=(-DTELORAD_SANITIZE=ON -DTELORAD_BENCH=OFF) ;;
    fuzz)     dir=build-fuzz;     args=(-DCMAKE_CXX_COMPILER=clang++ -DTELORAD_FUZZ=ON
                                        -DTELORAD_TESTS=OFF -DTELORAD_BENCH=OFF -DTELORAD_QT=OFF) ;;
    windows)  dir=build-windows;  args=(-DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw-w64.cmake
                                        -DCMAKE_BUILD_TYPE=Release) ;;
    *) echo "usage: $0 [release|sanitize|fuzz|windows]" >&2; exit 64 ;;
esac

cmake -S . -B "$dir" -G Ninja "${args[@]}" >/dev/null
cmake --build "$dir" -j "$(nproc)" "${targets[@]}"
echo "build.sh: built $flavour in $dir"
