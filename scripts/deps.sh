#!/usr/bin/env bash
# Installs the Debian packages a group of tasks needs, when any is missing.
# Needs root (or sudo) only when something has to be installed.
#
#   scripts/deps.sh            the build, the tests and the demo (Linux)
#   scripts/deps.sh windows    the Windows cross build, its tests under wine and
#                              the installer (Qt for Windows: qt-windows below)
#   scripts/deps.sh screenshots pictures of Trova.exe under wine, and scaled ones
#   scripts/deps.sh busy       the tests beside a load on every core (scripts/busy.sh)
#   scripts/deps.sh package    checking the Debian package (scripts/test-package.sh)
#   scripts/deps.sh qt-windows building Qt for Windows from Debian's source
#                              (scripts/qt-windows.sh); adds the archive's
#                              source entries when apt has none
#   scripts/deps.sh epics-base building EPICS base from Debian's source
#                              (scripts/epics-base.sh); the same source entries
set -euo pipefail

group=${1:-linux}
case $group in
linux)
    packages=(
        build-essential cmake pkg-config
        qtbase5-dev qttools5-dev qttools5-dev-tools
        libudev-dev libgtest-dev
        python3 python3-pytest python3-setuptools python3-wheel python3-venv
        python3-tango
        fonts-droid-fallback
        xvfb xauth
        xdotool imagemagick
        ser2net
        clang-14 libclang-rt-14-dev
        mono-mcs
    )
    ;;
windows)
    packages=(
        cmake make g++ libgtest-dev
        g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix
        binutils-mingw-w64-x86-64 binutils-mingw-w64-i686
        wine wine64 ser2net zip nsis
        # The host's Qt: lrelease, and the help folder's PDFs drawn natively.
        qtbase5-dev qttools5-dev-tools fonts-droid-fallback
        # The Python wheel for Windows, and the tests that drive kivra.exe.
        python3 python3-build python3-setuptools python3-wheel python3-venv python3-pytest
    )
    ;;
screenshots)
    # Trova.exe under wine on a virtual display (scripts/screenshots-windows.sh),
    # and Trova at a scaled Xft.dpi (xrdb).
    packages=(xvfb xauth x11-utils x11-xserver-utils xdotool imagemagick xcompmgr)
    ;;
busy)
    packages=(stress-ng)
    ;;
package)
    packages=(lintian desktop-file-utils appstream strace pkg-config cmake python3)
    ;;
qt-windows)
    packages=(
        build-essential perl python3 dpkg-dev xz-utils
        g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
    )
    ;;
epics-base)
    # readline for the IOC shell's line editing, which base takes when its
    # header is there: always there, so the build does not depend on chance.
    packages=(build-essential perl dpkg-dev xz-utils libreadline-dev)
    ;;
*)
    echo "usage: deps.sh [linux|windows|qt-windows|epics-base|screenshots|busy|package]" >&2
    exit 2
    ;;
esac

sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
updated=0
# A mirror caught mid-sync fails an index now and then ("File has unexpected
# size"); a later try may find it whole, so a new failure waits before the next
# try. An index that fails the same way twice is broken in the archive, not
# mid-sync: the tries left go at once. If it stays broken, what the other
# indexes hold is installed, and apt-get install says what is missing.
apt_update() {
    local try log errors previous=""
    log=$(mktemp)
    for try in 1 2 3; do
        if "${sudo_cmd[@]}" apt-get update -qq >"$log" 2>&1; then
            rm -f "$log"
            return 0
        fi
        errors=$(grep '^E:' "$log" | sort -u || true)
        [ "$errors" = "$previous" ] && grep -q 'unexpected size' <<<"$errors" && continue
        previous=$errors
        [ $try -lt 3 ] && sleep $((try * 10))
    done
    # Each failed index once, not once per try.
    sed -n 's/^E: Failed to fetch \([^ ]*\).*/\1/p' "$log" | sort -u |
        sed 's/^/deps.sh: index failed to download: /' >&2
    grep -v '^E: Failed to fetch\|^W:\|^E: Some index files' "$log" | grep '^E:' | sort -u >&2 || true
    rm -f "$log"
    echo "deps.sh: installing from the indexes that came" >&2
}
missing_of() { # packages...: those not installed
    local p
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" ||
            echo "$p"
    done
}
install_missing() { # packages...
    local missing=()
    mapfile -t missing < <(missing_of "$@")
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    if [ $updated -eq 0 ]; then
        apt_update
        updated=1
    fi
    "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
}
# A package only some tests need: when it cannot be installed, one line says
# why and the run goes on without those tests.
install_optional() { # what it is for, packages...
    local purpose=$1 log
    shift
    log=$(mktemp)
    if ! install_missing "$@" >"$log" 2>&1; then
        # apt's first unmet dependency says more than its closing line; a
        # quiet install leaves it out, a simulated one shows it.
        apt-get install -s --no-install-recommends "$@" >>"$log" 2>&1 || true
        echo "deps.sh: $* not installable, so $purpose ($(grep -m 1 -o '[^ ].*Depends:.*' "$log" ||
            grep -m 1 '^E:' "$log" || tail -n 1 "$log"))"
    else
        cat "$log"
    fi
    rm -f "$log"
}

# For the check of these rules alone: a package that cannot be installed put
# in the place of the 32-bit loader, or added to what the group needs.
[ -n "${KIVRA_DEPS_CHECK_REQUIRED:-}" ] && packages+=("$KIVRA_DEPS_CHECK_REQUIRED")
wine32=${KIVRA_DEPS_CHECK_WINE32:-wine32:i386}

install_missing "${packages[@]}"
if [ "$group" = linux ]; then
    # A Channel Access client that is not our code, for the EPICS IOC's tests.
    install_optional "the EPICS IOC's Channel Access tests will not run" python3-pyepics
fi
if [ "$group" = windows ]; then
    # Wine's 32-bit loader runs only the 32-bit tests, and only where the
    # kernel runs 32-bit programs, which the i386 C library's loader tells.
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        "${sudo_cmd[@]}" dpkg --add-architecture i386
        updated=0
    fi
    install_optional "the 32-bit Windows tests will not run" libc6:i386
    if /lib/ld-linux.so.2 --version >/dev/null 2>&1; then
        install_optional "the 32-bit Windows tests will not run" "$wine32"
    else
        echo "deps.sh: this kernel runs no 32-bit programs, so the 32-bit Windows tests will not run"
    fi
fi
# Source entries for the archives apt already uses for binary packages, with
# the same options (signing key included), one-line and deb822 alike.
add_source_entries() {
    local d=/etc/apt/sources.list.d f lines=() stanzas=()
    for f in /etc/apt/sources.list "$d"/*.list; do
        [ -f "$f" ] && [ "$f" != "$d/kivra-deb-src.list" ] &&
            mapfile -t -O ${#lines[@]} lines < <(sed -n 's/^[[:space:]]*deb[[:space:]]/deb-src /p' "$f")
    done
    for f in "$d"/*.sources; do
        [ -f "$f" ] && [ "$f" != "$d/kivra-deb-src.sources" ] &&
            stanzas+=("$(awk -v RS= -v ORS='\n\n' '/(^|\n)Types:[^\n]*[[:space:]]deb([[:space:]]|$)/ &&
                !/Enabled: *no/ { sub(/Types:[^\n]*/, "Types: deb-src"); print }' "$f")")
    done
    if [ ${#lines[@]} -gt 0 ]; then
        printf '%s\n' "${lines[@]}" | "${sudo_cmd[@]}" tee "$d/kivra-deb-src.list" >/dev/null
    fi
    if [ ${#stanzas[@]} -gt 0 ]; then
        printf '%s\n\n' "${stanzas[@]}" | "${sudo_cmd[@]}" tee "$d/kivra-deb-src.sources" >/dev/null
    fi
    apt_update
}
if { [ "$group" = qt-windows ] || [ "$group" = epics-base ]; } &&
    ! apt-get indextargets --format '$(CREATED_BY)' | grep -qx Sources; then
    add_source_entries
fi
