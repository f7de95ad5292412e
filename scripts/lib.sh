# shellcheck shell=bash
# Sourced by the scripts for what several of them do: a virtual X display,
# the wait for a simulator's published port, the project's version, a build
# tree's configuration, the cache of what is built once per machine, the
# benchmarks' wine and figures. Sourcing sets kivra_root (the repository's
# root), sets the display's xvfb_pid and xvfb_auth empty, and defines the
# functions below; it changes nothing else.
kivra_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# await SECONDS COMMAND...: runs COMMAND every 50 ms until it succeeds; fails
# when SECONDS have passed first. Generous limits: a busy machine is slow,
# not broken.
await() {
    local deadline=$((SECONDS + $1))
    shift
    until "$@"; do
        [ "$SECONDS" -lt "$deadline" ] || return 1
        sleep 0.05
    done
}

# wait_for_port DIR NAME [PID]: returns once a simulator has published port
# NAME in DIR; fails when its process PID ended first or after 30 s.
wait_for_port() {
    await 30 published_or_ended "$1/$2" "${3:-}" || true
    [ -e "$1/$2" ]
}
published_or_ended() { # link, process id or nothing
    [ -e "$1" ] || { [ -n "$2" ] && ! kill -0 "$2" 2>/dev/null; }
}

# project_version: the one home of the version, the top-level CMakeLists.txt.
project_version() {
    local version
    version=$(sed -n 's/^project(Kivra VERSION \([0-9.]*\).*/\1/p' "$kivra_root/CMakeLists.txt")
    [ -n "$version" ] || { echo "no project(Kivra VERSION ...) in CMakeLists.txt" >&2; return 1; }
    echo "$version"
}

# configure_build DIR [cmake options...]: configures the repository into
# DIR. cmake's output goes to DIR/configure.log, shown only when it fails.
configure_build() {
    local dir=$1
    shift
    mkdir -p "$dir"
    cmake -S "$kivra_root" -B "$dir" "$@" >"$dir/configure.log" 2>&1 ||
        { cat "$dir/configure.log" >&2; return 1; }
}

# configure_fuzz_build DIR: the libFuzzer targets (clang-14, ASan + UBSan).
configure_fuzz_build() {
    CC=clang-14 CXX=clang++-14 configure_build "$1" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DKIVRA_FUZZ=ON -DKIVRA_BUILD_APP=OFF -DKIVRA_BUILD_TESTS=OFF -DKIVRA_BUILD_BENCH=OFF \
        -DKIVRA_BUILD_REDUCED=OFF
}

# The cache of what a script builds once per machine and keeps outside the
# repository (scripts/epics-base.sh, scripts/qt-windows.sh), one folder a
# build whose name carries a key of all that went into it.
#
# build_cache_root VARIABLE: the folder the variable named VARIABLE gives,
# else /var/cache/kivra when that can be made and written, else
# ~/.cache/kivra.
build_cache_root() {
    local root=${!1:-/var/cache/kivra}
    if [ -z "${!1:-}" ] && ! { mkdir -p "$root" 2>/dev/null && [ -w "$root" ]; }; then
        root=${XDG_CACHE_HOME:-$HOME/.cache}/kivra
    fi
    echo "$root"
}
# build_key LINE...: 12 hex digits that change when any LINE does.
build_key() {
    printf '%s\n' "$@" | sha256sum | cut -c1-12
}
# answer_from_cache PREFIX WHAT [ARGUMENT]: what a caching script does before
# it builds into PREFIX, ending the script unless there is a build to do:
# --prefix prints PREFIX; --cached exits 0 when PREFIX is complete, else 1;
# a complete PREFIX is said ("WHAT: cached") and printed.
answer_from_cache() {
    local prefix=$1 what=$2
    case ${3:-} in
    --prefix)
        echo "$prefix"
        exit 0
        ;;
    --cached)
        [ -f "$prefix/.complete" ] && exit 0
        exit 1
        ;;
    esac
    if [ -f "$prefix/.complete" ]; then
        echo "$what: cached"
        echo "$prefix"
        exit 0
    fi
}

# fetch_debian_source WORK PACKAGE VERSION TARBALL SHA256: Debian's source of
# PACKAGE at VERSION unpacked into WORK/src, its name said, and dsc set to its
# .dsc. apt checks the files against the archive's signed index (deps.sh
# added the archive's source entries); the tarball is also held to the
# checksum the calling script was written against. Ends the script with
# status 3 when the archive gives no such source.
fetch_debian_source() {
    local work=$1 package=$2 version=$3 tarball=$4 sha256=$5
    if ! (cd "$work" && apt-get source --download-only -qq "$package" >"$work/source.log" 2>&1); then
        echo "$(basename "$0"): the archive gave no $package source: $(grep -m 1 '^E:' "$work/source.log" ||
            tail -n 1 "$work/source.log")" >&2
        exit 3
    fi
    echo "$sha256  $work/$tarball" | sha256sum --check --quiet
    dsc=$(ls "$work/${package}_${version}"*.dsc)
    dpkg-source -x "$dsc" "$work/src" >"$work/unpack.log" 2>&1 || { tail -n 20 "$work/unpack.log"; exit 1; }
    echo "   $(basename "$dsc" .dsc)"
}

# publish_build STAGE PREFIX: a finished build in STAGE marked complete and
# put in PREFIX's place whole, so an interrupted build never leaves a prefix
# that looks complete.
publish_build() {
    touch "$1/.complete"
    rm -rf "$2"
    mv "$1" "$2"
}

# start_virtual_display: starts Xvfb on a free display that only holders of
# its cookie may use, exports DISPLAY and XAUTHORITY, sets xvfb_pid and
# returns once the server takes clients. -noreset keeps it up when the last
# client goes; 96 DPI is what the programs are drawn for unless a script
# scales them itself (KIVRA_XVFB_SCREEN gives a larger screen for that).
# stop_virtual_display, from the caller's cleanup, ends it.
xvfb_pid=""
xvfb_auth=""
start_virtual_display() {
    local display=$((90 + RANDOM % 100)) ready cookie
    ready=$(mktemp)
    xvfb_auth=$(mktemp)
    cookie=$(mcookie)
    for _ in $(seq 20); do
        while [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
        xauth -q -f "$xvfb_auth" add ":$display" . "$cookie"
        # The server writes its display number to descriptor 3 once it takes
        # clients, and ends at once when another server took the number
        # since the look at its lock file.
        Xvfb ":$display" -displayfd 3 -auth "$xvfb_auth" -nolisten tcp -noreset \
            -dpi 96 -screen 0 "${KIVRA_XVFB_SCREEN:-1024x768x24}" 3>"$ready" >/dev/null 2>&1 &
        xvfb_pid=$!
        await 30 written_or_ended "$ready" "$xvfb_pid" || true
        if [ -s "$ready" ]; then
            rm -f "$ready"
            export DISPLAY=:$display XAUTHORITY=$xvfb_auth
            return 0
        fi
        kill "$xvfb_pid" 2>/dev/null || true
        display=$((display + 1))
    done
    rm -f "$ready"
    stop_virtual_display
    echo "no virtual X display could be started (Xvfb)" >&2
    return 1
}
written_or_ended() { # file, process id
    [ -s "$1" ] || ! kill -0 "$2" 2>/dev/null
}
stop_virtual_display() {
    if [ -n "$xvfb_pid" ]; then
        kill "$xvfb_pid" 2>/dev/null || true
        xvfb_pid=""
    fi
    if [ -n "$xvfb_auth" ]; then
        rm -f "$xvfb_auth"
        xvfb_auth=""
    fi
}

# display_or_virtual: a virtual display when there is no display, said once.
display_or_virtual() {
    if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
        echo "No display found: running under Xvfb (nothing will be visible)."
        start_virtual_display
    fi
}

# The benchmarks' wine (bench/): wine_bench_prefix DIR exports a 64-bit
# prefix in DIR/wineprefix, quiet and without the dialogs for what it lacks.
# wine_bench_up makes the prefix and keeps its server running, as on a
# machine where wine (like Windows) is already up; wine_bench_down, from the
# caller's cleanup, ends that server.
wine_bench_prefix() {
    export WINEPREFIX="$1/wineprefix" WINEARCH=win64 WINEDEBUG=-all
    export WINEDLLOVERRIDES=mscoree,mshtml,winedbg.exe=d
}
wine_bench_up() {
    /usr/lib/wine/wine64 wineboot -i >/dev/null 2>&1
    /usr/lib/wine/wineserver -p >/dev/null 2>&1 &
}
wine_bench_down() {
    /usr/lib/wine/wineserver -k 2>/dev/null || true
}

# print_spread WHAT: reads milliseconds, one a line, and prints their median
# and spread as one line about WHAT.
print_spread() {
    sort -n | awk -v what="$1" '
        { t[NR] = $1 } END { printf "%s: median %d ms, min %d ms, max %d ms (%d runs)\n",
            what, t[int((NR + 1) / 2)], t[1], t[NR], NR }'
}
