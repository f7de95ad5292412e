#!/usr/bin/env bash
# The tests' unprivileged user, kivra-test: root gets past file permissions
# and a terminal's exclusive flag, so tests of those could not fail as root.
# Sourced by scripts/test.sh, which starts with tree_the_tester_reaches; run
# by itself, it runs one command as that user, the build tree handed over:
#
#   scripts/testuser.sh BUILD COMMAND...
#   scripts/testuser.sh build ctest --test-dir build -j 2 -LE timing --output-on-failure
#
# Not root: the command runs as the caller.
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
# tree_for_tests and as_tester, and its tests, run as the test user, read
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
        as_tester "$tree/build" ctest --test-dir "$tree/build" --output-on-failure \
            >"$copies/ctest.log" 2>&1 || status=1
    [ $status -eq 0 ] || cat "$copies/ctest.log" >&2 2>/dev/null || true
    rm -rf "$private" "$copies"
    return $status
}

# tree_the_tester_reaches SCRIPT [arguments...]: as root, proves the switch,
# then, when the test user cannot enter the current folder's tree, runs
# SCRIPT (a path inside the tree) in a copy it can enter, and does not
# return. Otherwise it returns, and the tests run here.
tree_the_tester_reaches() {
    local script=$1 tree
    shift
    [ "$(id -u)" -eq 0 ] && [ -z "${KIVRA_TEST_COPY_OF:-}" ] || return 0
    echo "== test user $tester, from a tree under a private folder"
    if ! check_user_switch; then
        echo "FAIL: the tests cannot run as $tester from a tree under a private folder" >&2
        exit 1
    fi
    echo "   ok"
    tree=$(tree_for_tests "$(pwd)")
    if [ "$tree" != "$(pwd)" ]; then
        echo "   $tester cannot enter $(pwd): testing a copy in $tree, with the build trees there"
        KIVRA_TEST_COPY_OF=$(pwd) exec "$tree/$script" "$@"
    fi
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
    set -euo pipefail
    [ $# -ge 2 ] || { sed -n '2,10p' "$0" >&2; exit 2; }
    as_tester "$@"
fi
