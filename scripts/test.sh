#!/usr/bin/env bash
# Checks the sources' layout, builds the program and runs every test; then
# the same tests in the sanitizer build (ASan and UBSan, with every fuzz seed
# and reproducer replayed), and each fuzz target for FUZZ_SECONDS (default
# 60; 0 skips the fuzzing). SANITIZE=0 skips the sanitizer build and the
# fuzzing.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
sanitize_build=${SANITIZE_BUILD_DIR:-$root/build-sanitize}
# The sources' layout first: it takes seconds and says what to run.
"$root/scripts/check-format.sh"
"$root/scripts/build.sh"
(cd "$build" && ctest --output-on-failure -j"$(nproc)")
[ "${SANITIZE:-1}" = 1 ] || exit 0

LIFECYCLE_SANITIZE=1 "$root/scripts/build.sh"
# A sanitizer report ends the test with its stack in the log; QtTest's own
# stack dump would only wait for a debugger.
(cd "$sanitize_build" &&
    UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1} QTEST_DISABLE_STACK_DUMP=1 \
    ctest --output-on-failure -j"$(nproc)")
seconds=${FUZZ_SECONDS:-60}
[ "$seconds" -gt 0 ] || exit 0
"$root/scripts/fuzz.sh" "$seconds"
