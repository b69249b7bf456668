#!/usr/bin/env bash
# Configures and builds everything into build/ (or $BUILD_DIR). With
# LIFECYCLE_SANITIZE=1 the sanitizer build instead: clang, ASan and UBSan,
# and the fuzz targets, in build-sanitize/ (or $SANITIZE_BUILD_DIR).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
options=(-DCMAKE_BUILD_TYPE=RelWithDebInfo)
if [ "${LIFECYCLE_SANITIZE:-0}" = 1 ]; then
    build=${SANITIZE_BUILD_DIR:-$root/build-sanitize}
    options+=(-DLIFECYCLE_SANITIZE=ON -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++)
else
    build=${BUILD_DIR:-$root/build}
fi
# CI (CI=true) fails the build on any compiler warning; elsewhere warnings
# are shown and the build goes on.
if [ "${CI:-}" = true ]; then
    options+=(-DLIFECYCLE_WERROR=ON)
else
    options+=(-DLIFECYCLE_WERROR=OFF)
fi
# ccache, when the machine has it, makes rebuilds in other checkouts cheap.
if command -v ccache >/dev/null 2>&1; then
    options+=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$root}" CCACHE_NOHASHDIR=1
fi
cmake -S "$root" -B "$build" "${options[@]}" >/dev/null
cmake --build "$build" -j"$(nproc)" "$@"
