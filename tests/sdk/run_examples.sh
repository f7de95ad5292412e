#!/usr/bin/env bash
# Builds the SDK's examples from the help folder as a user would, against the
# libraries there, and runs each against kivra-sim on a private port
# directory. Every example must see its sequence run and finish.
#
#   run_examples.sh <SDK dir> <kivra-sim> <cc> <c++> <work dir> [mcs mono]
#
# With KIVRA_TEST_LIBRARY_DIR (the library's build with stretched budgets,
# reduced/ below it) the examples, built against the SDK, run against that
# build, so a busy machine does not fail them.
set -euo pipefail
. "$(dirname "$0")/../../scripts/lib.sh"
sdk=$1 sim=$2 cc=$3 cxx=$4 work=$5 mcs=${6:-} mono=${7:-}
stretched=${KIVRA_TEST_LIBRARY_DIR:-}
# The library a program built against the SDK's lib/ or lib/reduced/ runs with.
runs_with() { # full|reduced
    local dir=$stretched
    [ "$1" = reduced ] && dir=$dir/reduced
    [ -n "$stretched" ] && echo "LD_LIBRARY_PATH=$dir"
    return 0
}

rm -rf "$work"
mkdir -p "$work"
port_dir=$(mktemp -d)
export KIVRA_PORT_DIR="$port_dir"
sim_pid=""
cleanup() {
    [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null
    wait 2>/dev/null || true
    rm -rf "$port_dir"
}
trap cleanup EXIT

"$sim" --name SIM1 >/dev/null &
sim_pid=$!
wait_for_port "$port_dir" SIM1 $sim_pid || { echo "kivra-sim did not publish SIM1"; exit 1; }

failures=0
# expect NAME COMMAND...: the example must succeed and report both the
# running sequence and its end.
expect() {
    local name=$1
    shift
    local out status=0
    out=$("$@" 2>&1) || status=$?
    if [ "$status" -ne 0 ]; then
        echo "FAIL $name: exit status $status"
        echo "$out"
        failures=$((failures + 1))
        return
    fi
    if ! grep -q "running at 20 Hz" <<<"$out" || ! grep -q "^finished after" <<<"$out" ||
        ! grep -q "serial number KS20240001" <<<"$out"; then
        echo "FAIL $name: unexpected output"
        echo "$out"
        failures=$((failures + 1))
        return
    fi
    echo "ok   $name"
}

warnings=(-Wall -Wextra -Werror)
"$cc" "${warnings[@]}" "$sdk/examples/c/shutter_sequence.c" -I"$sdk/include" \
    -L"$sdk/lib" -lKivraLibrary -Wl,-rpath,"$sdk/lib" -o "$work/c_full"
expect "C, full library" env $(runs_with full) "$work/c_full" SIM1

"$cc" "${warnings[@]}" -DKIVRA_REDUCED "$sdk/examples/c/shutter_sequence.c" -I"$sdk/include" \
    -L"$sdk/lib/reduced" -lKivraLibrary -Wl,-rpath,"$sdk/lib/reduced" -o "$work/c_reduced"
expect "C, reduced library" env $(runs_with reduced) "$work/c_reduced" SIM1

"$cxx" -std=c++17 "${warnings[@]}" "$sdk/examples/cpp/shutter_sequence.cpp" -I"$sdk/include" \
    -L"$sdk/lib" -lKivraLibrary -Wl,-rpath,"$sdk/lib" -o "$work/cpp"
expect "C++" env $(runs_with full) "$work/cpp" SIM1

python_library=(-u KIVRA_LIBRARY)
[ -n "$stretched" ] && python_library=(KIVRA_LIBRARY="$stretched/libKivraLibrary.so.1")
expect "Python (ctypes)" env "${python_library[@]}" /usr/bin/python3 \
    "$sdk/examples/python/shutter_sequence.py" SIM1

if [ -n "$mcs" ] && [ -n "$mono" ]; then
    "$mcs" -warnaserror -out:"$work/ShutterSequence.exe" "$sdk/examples/csharp/ShutterSequence.cs"
    expect "C# (P/Invoke, Mono)" env LD_LIBRARY_PATH="${stretched:-$sdk/lib}" "$mono" \
        "$work/ShutterSequence.exe" SIM1
else
    echo "skip C#: no Mono compiler (mono-mcs) found"
fi

# A port that is not there must fail, not pass.
if "$work/c_full" NOSUCHPORT >/dev/null 2>&1; then
    echo "FAIL C: a missing port was reported as success"
    failures=$((failures + 1))
fi

[ "$failures" -eq 0 ]
