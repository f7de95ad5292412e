#!/usr/bin/env bash
# Sets up, builds and runs every test: a normal build, then the same tests
# built with AddressSanitizer and UndefinedBehaviorSanitizer, then the library
# and simulator tests built with ThreadSanitizer, the fuzz targets for a
# bounded number of runs, and the Debian package built, installed and checked
# (scripts/test-package.sh). Started as root, it runs the tests as the
# unprivileged user kivra-test, and when that user cannot enter the tree (a
# clone in root's home), it builds and tests a copy in $KIVRA_TEST_COPY_DIR
# (default /var/lib/kivra-test): scripts/testuser.sh.
set -euo pipefail
cd "$(dirname "$0")/.."

. scripts/lib.sh
. scripts/testuser.sh

scripts/deps.sh
tree_the_tester_reaches scripts/test.sh "$@"

jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen

# Every test but those of the real budgets, once: they run against the
# library's build with stretched budgets, so a busy machine does not change
# what they see, and a failure is a failure.
run_tests() { # build dir, ctest arguments...
    local dir=$1
    shift
    as_tester "$dir" ctest --test-dir "$dir" --output-on-failure --timeout 600 -j "$jobs" \
        -LE timing "$@"
}
# The tests of the real budgets (label timing), alone, against the shipped
# library. A machine busy with other work can still cost one of them its
# margin, so one that fails gets one more run, and the count is printed.
run_timing_tests() { # build dir
    local dir=$1 failed
    local ctest_timing=(ctest --test-dir "$dir" --output-on-failure --timeout 600 -L timing)
    if as_tester "$dir" "${ctest_timing[@]}"; then
        echo "== timing tests: passed at the first run (0 retries)"
        return 0
    fi
    failed=$(wc -l <"$dir/Testing/Temporary/LastTestsFailed.log")
    echo "== timing tests: $failed failed at the first run; one retry of each"
    as_tester "$dir" "${ctest_timing[@]}" --rerun-failed || return 1
    echo "== timing tests: passed after $failed retr$([ "$failed" -eq 1 ] && echo y || echo ies)"
}

# EPICS base, for the IOC and its tests: built once into a cache outside
# the tree (a few minutes), then found there by every build's configure.
# An archive that gives no epics-base source leaves the IOC out, and says so.
echo "== EPICS base"
if scripts/epics-base.sh --cached; then
    echo "   cached: $(scripts/epics-base.sh --prefix)"
else
    base_log=$(mktemp)
    base_status=0
    scripts/epics-base.sh >"$base_log" 2>&1 || base_status=$?
    if [ $base_status -eq 0 ]; then
        grep -E '^   ' "$base_log" || true
    elif [ $base_status -eq 3 ]; then
        echo "   not built, so kivra-ioc and its tests are left out: $(tail -n 1 "$base_log")"
    else
        cat "$base_log"
        exit 1
    fi
    rm -f "$base_log"
fi

echo "== build (RelWithDebInfo)"
configure_build build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$jobs"
run_tests build
run_timing_tests build

echo "== build (ASan + UBSan)"
configure_build build-asan -DCMAKE_BUILD_TYPE=Debug -DKIVRA_SANITIZE=ON -DKIVRA_BUILD_BENCH=OFF
cmake --build build-asan -j "$jobs"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 run_tests build-asan

echo "== build (ThreadSanitizer: library and simulator tests)"
configure_build build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKIVRA_SANITIZE_THREAD=ON \
    -DKIVRA_WITH_QT=OFF -DKIVRA_BUILD_APP=OFF -DKIVRA_BUILD_BENCH=OFF -DKIVRA_BUILD_REDUCED=OFF
cmake --build build-tsan -j "$jobs" --target tst_library_units tst_library_ports \
    tst_library_inprocess tst_library_budgets tst_vocabulary tst_simulator KivraLibrary
TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" run_tests build-tsan -L "library|simulator"

echo "== fuzz targets (clang-14 libFuzzer, bounded runs)"
configure_fuzz_build build-fuzz
cmake --build build-fuzz -j "$jobs" --target fuzz-targets
run_tests build-fuzz -L fuzz

echo "== Debian package"
scripts/test-package.sh
