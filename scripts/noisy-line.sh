#!/usr/bin/env bash
# The samples the program keeps from a tester on a noisy line: the simulated
# tester runs a test for a while with stray bytes in front of a share of its
# replies (`--garbage RATE`), the program logs every run to its own data
# file, and for each rate this prints
#
#   noisy_line_cycles_<rate>: N        cycles the simulated tester ran
#   noisy_line_samples_<rate>: N       cycles with their sample in the program's data log
#   noisy_line_kept_pct_<rate>: N
#   noisy_line_link_lost_<rate>: N     times the program gave the port up
#
# NOISY_LINE_RATES sets the rates (default "0.05 0.3"), NOISY_LINE_SECONDS
# how long each runs (default 60). The programs come from build/ unless
# LIFECYCLE and LIFECYCLE_SIM name others.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
app=${LIFECYCLE:-$build/app/lifecycle}
sim=${LIFECYCLE_SIM:-$build/simulator/lifecycle-sim}
seconds=${NOISY_LINE_SECONDS:-60}

for tool in "$app" "$sim"; do
    command -v "$tool" >/dev/null 2>&1 || { echo "noisy-line: $tool not found (build first)" >&2; exit 1; }
done

work=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT

measure() {
    local rate=$1 dir=$work/$1
    mkdir -p "$dir/config/RuqLifeCycle" "$dir/data" "$dir/logs"
    # Every run to its own data file, in the program's own settings folder.
    printf '[Preferences]\nRunFiles=1\nRunFilesFolder=%s\n' "$dir/logs" >"$dir/config/RuqLifeCycle/RuqLifeCycle.ini"
    "$sim" --running --garbage "$rate" --exit-after-ms $((seconds * 1000)) >"$dir/sim.out" 2>"$dir/sim.err" &
    local simpid=$!
    pids+=("$simpid")
    for _ in $(seq 50); do [ -s "$dir/sim.out" ] && break; sleep 0.1; done
    local device
    device=$(head -n 1 "$dir/sim.out")
    XDG_CONFIG_HOME=$dir/config XDG_DATA_HOME=$dir/data QT_QPA_PLATFORM=offscreen \
        "$app" --port "1=$device" --archive "$dir/runs.sqlite" --trace "$dir/trace.txt" >"$dir/app.log" 2>&1 &
    local apppid=$!
    pids+=("$apppid")
    wait "$simpid" || true
    sleep 1
    kill "$apppid" 2>/dev/null || true
    wait "$apppid" 2>/dev/null || true
    local cycles samples lost
    cycles=$(awk '/^cycles:/ { print $2 }' "$dir/sim.out")
    # Data lines begin with the sample's date; the header does not. The
    # first line is the record fetched when the tester was found: a sample
    # counts for each cycle after it.
    samples=$(cat "$dir"/logs/* 2>/dev/null | awk -F, '/^[0-9]/ {
        if (n++ == 0) first = $2; else if ($2 > first && !seen[$2]++) kept++ }
        END { print kept + 0 }')
    # The first open finds the tester; every later one follows a lost link.
    lost=$(grep -c '# open 1 ok' "$dir/trace.txt" || true)
    lost=$((lost > 0 ? lost - 1 : 0))
    echo "noisy_line_cycles_$rate: $cycles"
    echo "noisy_line_samples_$rate: $samples"
    awk -v s="$samples" -v c="$cycles" -v r="$rate" \
        'BEGIN { printf "noisy_line_kept_pct_%s: %.1f\n", r, (c > 0 ? 100 * s / c : 0) }'
    echo "noisy_line_link_lost_$rate: $lost"
}

for rate in ${NOISY_LINE_RATES:-0.05 0.3}; do
    measure "$rate"
done
