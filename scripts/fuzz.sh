#!/usr/bin/env bash
# Builds the libFuzzer targets (clang-14, ASan + UBSan) and runs a campaign:
# each target in turn for its share of the time, starting from the committed
# seed corpus and a working corpus kept in the build directory. Prints the
# executions and findings per target and in all; exits 1 on any finding.
#
#   scripts/fuzz.sh [seconds in all, default 600] [target ...]
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib.sh

total=${1:-600}
shift || true
build=${KIVRA_FUZZ_BUILD:-build-fuzz}
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(fuzz_reply fuzz_simrequest fuzz_portlist fuzz_portname fuzz_config)

[ -f "$build/CMakeCache.txt" ] || configure_fuzz_build "$build"
cmake --build "$build" -j "$(nproc)" --target fuzz-targets >/dev/null

share=$((total / ${#targets[@]}))
[ "$share" -ge 1 ] || share=1
sum=0
found=0
printf '%-16s %14s %10s %8s\n' target executions exec/s findings
for t in "${targets[@]}"; do
    work="$build/tests/fuzz/campaign/$t"
    artifacts="$build/tests/fuzz/findings/$t/"
    mkdir -p "$work" "$artifacts"
    log="$build/tests/fuzz/campaign/$t.log"
    # A finding stops libFuzzer; the campaign goes on with the next target.
    "$build/tests/fuzz/$t" -max_total_time="$share" -max_len=512 -print_final_stats=1 \
        -artifact_prefix="$artifacts" "$work" "tests/fuzz/corpus/$t" >"$log" 2>&1 || true
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    runs=${runs:-0}
    findings=$(find "$artifacts" -type f \( -name 'crash-*' -o -name 'leak-*' -o -name 'timeout-*' -o -name 'oom-*' \) | wc -l)
    printf '%-16s %14d %10d %8d\n' "$t" "$runs" "$((runs / share))" "$findings"
    sum=$((sum + runs))
    found=$((found + findings))
done
printf '%-16s %14d %10s %8d\n' all "$sum" "" "$found"
[ "$found" -eq 0 ]
