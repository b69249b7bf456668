#!/usr/bin/env bash
# Checks the sources' layout, builds the program and runs every test; then
# the Windows build and its tests under Wine (scripts/windows/test.sh, which
# builds Qt for Windows first when its cache is missing) and the Debian
# package, installed, tried and removed again (scripts/package-deb.sh,
# scripts/test-deb.sh); last the same tests in the sanitizer build (ASan and
# UBSan, with every fuzz seed and reproducer replayed), and each fuzz target
# for FUZZ_SECONDS (default 60; 0 skips the fuzzing).
#   WINDOWS=0    skips the Windows build and the Wine tests
#   DEB=0        skips the Debian package and its install test
#   SANITIZE=0   skips the sanitizer build and the fuzzing
# Prints how long each part took.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
sanitize_build=${SANITIZE_BUILD_DIR:-$root/build-sanitize}
start=$(date +%s)
lap=$start
timed() { # what
    local now
    now=$(date +%s)
    echo "test: $1 $((now - lap)) s"
    lap=$now
}
trap 'echo "test: $(( $(date +%s) - start )) s in all"' EXIT

# The sources' layout first: it takes seconds and says what to run.
"$root/scripts/check-format.sh"
"$root/scripts/build.sh"
(cd "$build" && ctest --output-on-failure -j"$(nproc)")
timed "Linux build and tests"

# Windows and the package before the sanitizer build: they test what users
# install, and a fault there shows within minutes, not after the longest
# part of the run.
if [ "${WINDOWS:-1}" = 1 ]; then
    # The picture of the Windows program stays in the build folder here;
    # scripts/windows/test.sh on its own renews docs/windows.png.
    WINDOWS_SHOT=${WINDOWS_SHOT-${WINDOWS_BUILD_DIR:-$root/build-windows}/windows.png} \
        "$root/scripts/windows/test.sh"
    timed "Windows build and Wine tests"
fi
if [ "${DEB:-1}" = 1 ]; then
    BUILD_DIR=$build "$root/scripts/package-deb.sh"
    BUILD_DIR=$build "$root/scripts/test-deb.sh"
    timed "Debian package"
fi
[ "${SANITIZE:-1}" = 1 ] || exit 0

LIFECYCLE_SANITIZE=1 "$root/scripts/build.sh"
# A sanitizer report ends the test with its stack in the log; QtTest's own
# stack dump would only wait for a debugger.
(cd "$sanitize_build" &&
    UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1} QTEST_DISABLE_STACK_DUMP=1 \
    ctest --output-on-failure -j"$(nproc)")
timed "sanitizer build and tests"
seconds=${FUZZ_SECONDS:-60}
[ "$seconds" -gt 0 ] || exit 0
"$root/scripts/fuzz.sh" "$seconds"
timed "fuzzing"
