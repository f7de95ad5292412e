#!/usr/bin/env bash
# Start of the program to its first shown window, measured from outside on a
# virtual X display: the time from starting the process to the moment its
# window is mapped, for the Linux program and for Trova.exe under wine (the
# latter includes wine's own start-up). Prints the median and the spread of
# RUNS starts (default 10) of each. Run by hand after scripts/test-windows
# and a Linux build; it is not a test.
#
#   bench/bench_start.sh [RUNS]     BUILD_DIR=build, KIVRA_WIN_BUILD=build-win
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib.sh
runs=${1:-10}
linux_app=${BUILD_DIR:-build}/app/Trova
program=${KIVRA_WIN_BUILD:-build-win}/program
[ -x "$linux_app" ] && [ -f "$program/Trova.exe" ] || { echo "build both first" >&2; exit 1; }
scripts/deps.sh screenshots

work=$(mktemp -d)
wine_bench_prefix "$work"
cleanup() {
    wine_bench_down
    stop_virtual_display
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
start_virtual_display

# Wine's prefix and its services are made first and kept running.
wine_bench_up
cp -r "$program" "$work/Trova"

# measure NAME COMMAND...: milliseconds from start to a mapped window, per run.
measure() {
    local name=$1
    shift
    local times=()
    for _ in $(seq "$runs"); do
        local start end pid
        start=$(date +%s%N)
        "$@" >/dev/null 2>&1 &
        pid=$!
        # Polled here: xdotool's own --sync looks only every half second.
        until xdotool search --onlyvisible --class "$name" >/dev/null 2>&1; do
            sleep 0.005
        done
        end=$(date +%s%N)
        times+=($(((end - start) / 1000000)))
        kill "$pid" 2>/dev/null
        wait "$pid" 2>/dev/null || true
        sleep 1
    done
    printf '%s\n' "${times[@]}" | print_spread "$name"
}

measure trova "$linux_app"
measure trova.exe /usr/lib/wine/wine64 "$work/Trova/Trova.exe"
