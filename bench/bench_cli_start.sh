#!/usr/bin/env bash
# Start of the kivra tool: `kivra get SIM1 state` from starting the process
# to its exit, against a simulated controller, for the Linux tool with
# kivra-sim and for kivra.exe under wine with kivra-sim.exe (wine's own start
# included; its server is started first and kept running, as Windows is up
# before anyone types a command). Prints the median and the spread of RUNS
# runs (default 20) of each. Run by hand after scripts/test-windows and a
# Linux build; it is not a test.
#
#   bench/bench_cli_start.sh [RUNS]     BUILD_DIR=build, KIVRA_WIN_BUILD=build-win
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib.sh
runs=${1:-20}
build=${BUILD_DIR:-build}
program=${KIVRA_WIN_BUILD:-build-win}/program
for f in "$build/cli/kivra" "$build/simulator/kivra-sim" "$program/kivra.exe" \
    "$program/kivra-sim.exe"; do
    [ -f "$f" ] || { echo "missing $f: build both first" >&2; exit 1; }
done

work=$(mktemp -d)
wine_bench_prefix "$work"
unset DISPLAY WAYLAND_DISPLAY
sims=()
cleanup() {
    for pid in "${sims[@]}"; do kill "$pid" 2>/dev/null || true; done
    wine_bench_down
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# start_sim PROGRAM...: starts a simulator with its output in a pipe that
# this script keeps open, and returns once it has printed the port it
# publishes; ends the script when it prints anything else, or nothing within
# 30 s (this script holds the pipe's write end too, so a simulator that died
# leaves the read waiting for ever).
start_sim() {
    local fifo="$work/sim${#sims[@]}.out" fd line
    mkfifo "$fifo"
    exec {fd}<>"$fifo"
    "$@" </dev/null >&$fd 2>&1 &
    sims+=($!)
    if ! read -r -t 30 line <&$fd; then
        echo "simulator printed no port within 30 s: $*${line:+ (printed: $line)}" >&2
        exit 1
    fi
    case $line in *" (link: "* | *" (entry: "*) ;; *) echo "simulator: $line" >&2; exit 1 ;; esac
}

# measure WHAT COMMAND...: milliseconds from start to exit, per run.
measure() {
    local what=$1
    shift
    local times=()
    for _ in $(seq "$runs"); do
        local start end
        start=$(date +%s%N)
        "$@" get SIM1 state >/dev/null
        end=$(date +%s%N)
        times+=($(((end - start) / 1000000)))
    done
    printf '%s\n' "${times[@]}" | print_spread "$what"
}

export KIVRA_PORT_DIR="$work/ports"
start_sim "$build/simulator/kivra-sim"
measure "kivra get SIM1 state (Linux)" "$build/cli/kivra"

wine_bench_up
export KIVRA_PORT_DIR='C:\kivra-bench-ports'
start_sim /usr/lib/wine/wine64 "$program/kivra-sim.exe"
measure "kivra.exe get SIM1 state (wine)" /usr/lib/wine/wine64 "$program/kivra.exe"
