#!/usr/bin/env bash
# What the program costs while it waits: starts it under a virtual X server
# in four states and prints the CPU time it used (user + system, from
# /proc) as a percentage of one core over the measuring window, and its
# resident memory at the end:
#
#   idle_cpu_pct_searching: N   no tester (--port 1=/nonexistent)
#   idle_cpu_pct_simulate: N    the built-in simulated tester, running a test
#   idle_cpu_pct_quiet: N       a tester that is found and then says nothing
#   idle_cpu_pct_station16: N   sixteen simulated testers in the Station window
#   rss_kb_<state>: N
#
# Needs xvfb-run and a build (scripts/build.sh). IDLE_CPU_SECONDS sets the
# window (default 30), IDLE_CPU_SETTLE the start-up time left out (default 5),
# LIFECYCLE and LIFECYCLE_SIM other binaries to measure, IDLE_CPU_STATES a
# subset of the states (default "searching simulate quiet station16"), and
# IDLE_CPU_ARGS more options for every state (for example the web view and a
# webhook: "--http 127.0.0.1:8080 --notify-url http://127.0.0.1:9/").
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
app=${LIFECYCLE:-$build/app/lifecycle}
sim=${LIFECYCLE_SIM:-$build/simulator/lifecycle-sim}
seconds=${IDLE_CPU_SECONDS:-30}
settle=${IDLE_CPU_SETTLE:-5}

for tool in xvfb-run "$app" "$sim"; do
    command -v "$tool" >/dev/null 2>&1 || { echo "idle-cpu: $tool not found (build first, install xvfb)" >&2; exit 1; }
done

work=$(mktemp -d)
simpid=""
cleanup() {
    [ -n "$simpid" ] && kill "$simpid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
# The program's own settings folder, so the user's saved port stays as it is.
export XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data
mkdir -p "$XDG_CONFIG_HOME" "$XDG_DATA_HOME"

ticks_per_second=$(getconf CLK_TCK)

# utime + stime of a process, in clock ticks.
cpu_ticks() {
    # The command name may hold spaces: take the fields after its ")".
    local rest
    rest=$(sed 's/.*) //' "/proc/$1/stat")
    set -- $rest
    echo $(( ${12} + ${13} ))
}

# measure NAME ARGS...: runs the program with ARGS and prints its line.
measure() {
    local name=$1; shift
    # shellcheck disable=SC2206
    local more=(${IDLE_CPU_ARGS:-})
    set -- "$@" "${more[@]}"
    local pidfile=$work/$name.pid
    rm -f "$pidfile"
    xvfb-run -a sh -c 'echo $$ > "$0"; exec "$@"' "$pidfile" "$app" "$@" >"$work/$name.log" 2>&1 &
    local runner=$!
    for _ in $(seq 50); do [ -s "$pidfile" ] && break; sleep 0.1; done
    local pid
    pid=$(cat "$pidfile")
    sleep "$settle"
    local before after
    before=$(cpu_ticks "$pid")
    sleep "$seconds"
    after=$(cpu_ticks "$pid")
    local rss
    rss=$(awk '/^VmRSS:/ { print $2 }' "/proc/$pid/status")
    kill "$pid" 2>/dev/null || true
    wait "$runner" 2>/dev/null || true
    awk -v n="$name" -v t=$((after - before)) -v hz="$ticks_per_second" -v s="$seconds" \
        'BEGIN { printf "idle_cpu_pct_%s: %.2f\n", n, 100 * t / hz / s }'
    echo "rss_kb_$name: $rss"
}

for state in ${IDLE_CPU_STATES:-searching simulate quiet station16}; do
    case $state in
    searching) measure searching --port 1=/nonexistent ;;
    simulate) measure simulate --simulate ;;
    station16) measure station16 --simulate 16 ;;
    quiet)
        # A tester that is found, answers the first data request and then waits.
        "$sim" >"$work/sim.out" 2>/dev/null &
        simpid=$!
        for _ in $(seq 50); do [ -s "$work/sim.out" ] && break; sleep 0.1; done
        device=$(head -n 1 "$work/sim.out")
        measure quiet --port "1=$device"
        ;;
    *) echo "idle-cpu: unknown state $state" >&2; exit 1 ;;
    esac
done
