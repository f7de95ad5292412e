#!/usr/bin/env bash
# Sets up, builds and runs every test: a normal build, then the same tests
# built with AddressSanitizer and UndefinedBehaviorSanitizer, then the library
# and simulator tests built with ThreadSanitizer, the fuzz targets for a
# bounded number of runs, and the Debian package built, installed and checked
# (scripts/test-package.sh). Started as root, the tests
# run as the unprivileged user kivra-test (created when missing): root gets
# past file permissions and a terminal's exclusive flag, so tests of those
# could not fail as root. When kivra-test cannot enter the tree (a clone in
# root's home), the tree is copied to $KIVRA_TEST_COPY_DIR (default
# /var/lib/kivra-test) and built and tested there.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh

jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen

tester=kivra-test
add_tester() {
    id -u "$tester" >/dev/null 2>&1 ||
        useradd --system --no-create-home --home-dir /nonexistent --shell /usr/sbin/nologin "$tester"
}
# Runs a command as the test user (when started as root) in a home of its
# own, for what Qt and the tests write there.
as_tester() { # build dir, command...
    local dir=$1
    shift
    if [ "$(id -u)" -ne 0 ]; then
        "$@"
        return
    fi
    add_tester
    chown -R "$tester" "$dir"
    local home status=0
    home=$(mktemp -d)
    chown "$tester" "$home"
    runuser -u "$tester" -- env HOME="$home" XDG_RUNTIME_DIR= "$@" || status=$?
    rm -rf "$home"
    return $status
}
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

reaches() { # dir: whether the test user can enter it and read in it
    runuser -u "$tester" -- test -r "$1" -a -x "$1"
}

# Prints the tree to build and test: the given one when the test user
# reaches it, else a copy in a folder it can reach, brought up to date. The
# copy keeps its build trees, so a second run builds only what changed.
tree_for_tests() { # dir
    local dir=$1
    if [ "$(id -u)" -ne 0 ] || reaches "$dir"; then
        echo "$dir"
        return
    fi
    local base=${KIVRA_TEST_COPY_DIR:-/var/lib/kivra-test}
    local copy
    copy="$base/$(basename "$dir")-$(printf '%s' "$dir" | sha256sum | cut -c1-12)"
    install -d -m 755 "$base" "$copy"
    find "$copy" -mindepth 1 -maxdepth 1 ! -name 'build*' -exec rm -rf {} +
    # tar keeps the files' times, so what did not change is not rebuilt.
    tar -C "$dir" --exclude='./build*' --exclude=./.git -cf - . | tar -C "$copy" -xf -
    find "$copy" -path "$copy/build*" -prune -o ! -type l -exec chmod go+rX,go-w {} +
    if ! reaches "$copy"; then
        echo "$tester cannot reach $copy either: set KIVRA_TEST_COPY_DIR to a folder" \
            "whose parents all let others through (mode o+x)" >&2
        return 1
    fi
    echo "$copy"
}

# The switch to the test user from a tree it cannot enter, proven cheaply: a
# tiny CMake project in a folder under a mode-0700 parent goes through
# tree_for_tests and run_tests, and its tests, run as the test user, read
# the tree.
check_user_switch() {
    local private copies
    add_tester
    private=$(mktemp -d)
    copies=$(mktemp -d)
    chmod 755 "$copies"
    mkdir "$private/clone"
    cat >"$private/clone/CMakeLists.txt" <<'CMAKE'
cmake_minimum_required(VERSION 3.16)
project(reach NONE)
enable_testing()
add_test(NAME reads_the_tree COMMAND cat ${CMAKE_SOURCE_DIR}/CMakeLists.txt)
add_test(NAME runs_as_the_test_user COMMAND sh -c "test $(id -un) = kivra-test")
CMAKE
    local tree status=0
    tree=$(KIVRA_TEST_COPY_DIR="$copies" tree_for_tests "$private/clone") &&
        [ "$tree" != "$private/clone" ] &&
        cmake -S "$tree" -B "$tree/build" >/dev/null &&
        run_tests "$tree/build" >"$copies/ctest.log" 2>&1 || status=1
    [ $status -eq 0 ] || cat "$copies/ctest.log" >&2 2>/dev/null || true
    rm -rf "$private" "$copies"
    return $status
}

if [ "$(id -u)" -eq 0 ] && [ -z "${KIVRA_TEST_COPY_OF:-}" ]; then
    echo "== test user $tester, from a tree under a private folder"
    if ! check_user_switch; then
        echo "FAIL: the tests cannot run as $tester from a tree under a private folder" >&2
        exit 1
    fi
    echo "   ok"
    tree=$(tree_for_tests "$(pwd)")
    if [ "$tree" != "$(pwd)" ]; then
        echo "   $tester cannot enter $(pwd): testing a copy in $tree, with the build trees there"
        KIVRA_TEST_COPY_OF=$(pwd) exec "$tree/scripts/test.sh"
    fi
fi

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
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$jobs"
run_tests build
run_timing_tests build

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
