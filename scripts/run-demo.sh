#!/usr/bin/env bash
# Sets up, builds and runs Trova against the simulated controller kivra-sim.
# The simulator is started a moment after the program, so its port arrives
# like a plugged-in adapter and shows up in the port list by itself.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib.sh

scripts/deps.sh
configure_build build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$(nproc)" --target Trova kivra-sim TrovaTranslations

sim_pid=""
cleanup() {
    [ -z "$sim_pid" ] || kill "$sim_pid" 2>/dev/null || true
    stop_virtual_display
    wait 2>/dev/null || true
}
trap cleanup EXIT INT TERM

start_sim() {
    sleep 1.5
    exec build/simulator/kivra-sim --name SIM1 "$@"
}

run=(build/app/Trova "${TROVA_ARGS:-}")
[ -n "${TROVA_ARGS:-}" ] || run=(build/app/Trova)

display_or_virtual
start_sim "$@" &
sim_pid=$!
"${run[@]}"
