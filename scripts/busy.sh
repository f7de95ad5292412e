#!/usr/bin/env bash
# Runs a command RUNS times while stress-ng keeps every core busy, and says
# how many runs passed: the check that the tests do not depend on an idle
# machine. Each run's output goes to busy-<n>.log in the current folder.
#
#   scripts/busy.sh RUNS COMMAND...
#   scripts/busy.sh 3 ctest --test-dir build --output-on-failure -j 2 -LE timing
#
# As root, run the command as the tests' unprivileged user, as scripts/test.sh
# does (root gets past what some tests check):
#   scripts/busy.sh 3 scripts/testuser.sh build ctest --test-dir build ...
set -euo pipefail
[ $# -ge 2 ] || { sed -n '2,11p' "$0" >&2; exit 2; }
runs=$1
shift
"$(dirname "$0")/deps.sh" busy
stress-ng --cpu "$(nproc)" --quiet &
stress=$!
trap 'kill "$stress" 2>/dev/null; wait "$stress" 2>/dev/null || true' EXIT
passed=0
for run in $(seq "$runs"); do
    started=$(date +%s)
    if "$@" >"busy-$run.log" 2>&1; then
        passed=$((passed + 1))
        verdict=passed
    else
        verdict=FAILED
    fi
    echo "run $run of $runs: $verdict in $(($(date +%s) - started)) s (busy-$run.log)," \
        "load $(cut -d' ' -f1 /proc/loadavg)"
done
echo "$passed of $runs runs passed beside stress-ng --cpu $(nproc)"
[ "$passed" -eq "$runs" ]
