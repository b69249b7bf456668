#!/usr/bin/env bash
# Builds the fuzz targets in the sanitizer build (build-sanitize/, or
# $SANITIZE_BUILD_DIR), replays every reproducer and seed once, then fuzzes
# each target for SECONDS (default 60), two at a time, on a working copy of
# its seeds. New inputs stay in build-sanitize/fuzz-work/NAME, an input that
# breaks a target in build-sanitize/fuzz-artifacts/. Prints each target's
# executions per second; fails when any target does.
#
#     scripts/fuzz.sh [SECONDS]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${SANITIZE_BUILD_DIR:-$root/build-sanitize}
seconds=${1:-60}
LIFECYCLE_SANITIZE=1 "$root/scripts/build.sh" --target fuzz_targets
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1}

work=$build/fuzz-work
artifacts=$build/fuzz-artifacts
mkdir -p "$work" "$artifacts"

# fuzz NAME: one target for the given time; its log in fuzz-work/NAME.log.
fuzz() {
    local name=$1 inputs=()
    for folder in corpus reproducers; do
        [ -d "$root/fuzz/$folder/$name" ] && inputs+=("$root/fuzz/$folder/$name")
    done
    mkdir -p "$work/$name"
    local program=$build/fuzz/fuzz_$name log=$work/$name.log
    if ! "$program" -runs=0 "${inputs[@]}" >"$log" 2>&1 ||
       ! "$program" -max_total_time="$seconds" -print_final_stats=1 -artifact_prefix="$artifacts/$name-" \
           "$work/$name" "${inputs[@]}" >>"$log" 2>&1; then
        echo "fuzz_$name: FAILED, see $log" >&2
        tail -n 30 "$log" >&2
        return 1
    fi
    awk -v n="fuzz_$name" '/stat::number_of_executed_units/ { units = $2 }
        /stat::average_exec_per_sec/ { rate = $2 }
        END { printf "%s: %d executions, %d per second\n", n, units, rate }' "$log"
}

names=()
for program in "$build"/fuzz/fuzz_*; do
    [ -f "$program" ] && [ -x "$program" ] && names+=("${program##*/fuzz_}")
done
# Two at a time: one per core.
failed=0 running=()
for name in "${names[@]}"; do
    fuzz "$name" & running+=($!)
    if [ ${#running[@]} -eq 2 ]; then
        wait "${running[0]}" || failed=1
        running=("${running[@]:1}")
    fi
done
for pid in "${running[@]}"; do
    wait "$pid" || failed=1
done
exit $failed
