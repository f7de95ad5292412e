#!/usr/bin/env bash
# Sets up, builds and runs Trova against the simulated controller kivra-sim.
# The simulator is started a moment after the program, so its port arrives
# like a plugged-in adapter and shows up in the port list by itself.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)" --target Trova kivra-sim TrovaTranslations

sim_pid=""
cleanup() { [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null; wait 2>/dev/null || true; }
trap cleanup EXIT INT TERM

start_sim() {
    sleep 1.5
    exec build/simulator/kivra-sim --name SIM1 "$@"
}

run=(build/app/Trova "${TROVA_ARGS:-}")
[ -n "${TROVA_ARGS:-}" ] || run=(build/app/Trova)

start_sim "$@" &
sim_pid=$!

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display found: running under Xvfb (nothing will be visible)."
    xvfb-run -a -s "-screen 0 1024x768x24" "${run[@]}"
else
    "${run[@]}"
fi
