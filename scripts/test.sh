#!/usr/bin/env bash
# Sets up a fresh machine, builds and runs the tests. Usage: scripts/test.sh [release|sanitize]
set -euo pipefail
cd "$(dirname "$0")/.."
flavour=${1:-release}
scripts/install-deps.sh
scripts/build.sh "$flavour"
dir=build
[ "$flavour" = sanitize ] && dir=build-sanitize
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
ctest --test-dir "$dir" --output-on-failure -j "$(nproc)"
