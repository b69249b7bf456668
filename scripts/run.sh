#!/usr/bin/env bash
# Builds the program and runs it against the built-in simulated tester.
# Extra arguments go to the program (try --help).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
"$root/scripts/build.sh" --target lifecycle
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    echo "No display found: running under a virtual X server (xvfb-run)." >&2
    echo "To see the window, run this from a desktop session." >&2
    exec xvfb-run -a "$build/app/lifecycle" --simulate "$@"
fi
exec "$build/app/lifecycle" --simulate "$@"
