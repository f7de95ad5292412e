#!/usr/bin/env bash
# Sets up, builds and runs every test: a normal build, then the same tests
# built with AddressSanitizer and UndefinedBehaviorSanitizer, then the library
# and simulator tests built with ThreadSanitizer, the fuzz targets for a
# bounded number of runs, and the Debian package built, installed and checked
# (scripts/test-package.sh). Started as root, the tests
# run as the unprivileged user kivra-test (created when missing): root gets
# past file permissions and a terminal's exclusive flag, so tests of those
# could not fail as root.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh

jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen

tester=kivra-test
# A test that fails is run again, up to three times in all: the exchange
# tests keep the controller's real 30 ms budgets, which a machine busy with
# the other tests can overrun now and then.
run_tests() { # build dir, ctest arguments...
    local dir=$1
    shift
    set -- --repeat until-pass:3 --timeout 600 "$@"
    if [ "$(id -u)" -ne 0 ]; then
        ctest --test-dir "$dir" --output-on-failure -j "$jobs" "$@"
        return
    fi
    id -u "$tester" >/dev/null 2>&1 ||
        useradd --system --no-create-home --home-dir /nonexistent --shell /usr/sbin/nologin "$tester"
    chown -R "$tester" "$dir"
    # A home of its own for what Qt and the tests write there.
    local home
    home=$(mktemp -d)
    chown "$tester" "$home"
    runuser -u "$tester" -- env HOME="$home" XDG_RUNTIME_DIR= \
        ctest --test-dir "$dir" --output-on-failure -j "$jobs" "$@"
    rm -rf "$home"
}

echo "== build (RelWithDebInfo)"
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$jobs"
run_tests build

echo "== build (ASan + UBSan)"
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DKIVRA_SANITIZE=ON -DKIVRA_BUILD_BENCH=OFF >/dev/null
cmake --build build-asan -j "$jobs"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 run_tests build-asan

echo "== build (ThreadSanitizer: library and simulator tests)"
cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKIVRA_SANITIZE_THREAD=ON \
    -DKIVRA_WITH_QT=OFF -DKIVRA_BUILD_APP=OFF -DKIVRA_BUILD_BENCH=OFF -DKIVRA_BUILD_REDUCED=OFF >/dev/null
cmake --build build-tsan -j "$jobs" --target tst_library_units tst_library_ports \
    tst_library_inprocess tst_library_budgets tst_vocabulary tst_simulator KivraLibrary
TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" run_tests build-tsan -L "library|simulator"

echo "== fuzz targets (clang-14 libFuzzer, bounded runs)"
CC=clang-14 CXX=clang++-14 cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKIVRA_FUZZ=ON \
    -DKIVRA_BUILD_APP=OFF -DKIVRA_BUILD_TESTS=OFF -DKIVRA_BUILD_BENCH=OFF -DKIVRA_BUILD_REDUCED=OFF >/dev/null
cmake --build build-fuzz -j "$jobs" --target fuzz-targets
run_tests build-fuzz -L fuzz

echo "== Debian package"
scripts/test-package.sh
