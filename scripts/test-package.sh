#!/usr/bin/env bash
# Builds the Debian package and checks it as a user would meet it: lintian,
# the desktop entry and AppStream data, an install on this machine, the
# installed Trova finding its translation, font and help folder, and the
# README's C and Python examples (pkg-config and find_package) run against
# the installed library and kivra-sim, and the Tango server kivra-tango
# driving kivra-sim. Also moves an installed tree
# (cmake --install --prefix) and runs against it. Needs root or sudo to
# install; the package is removed again at the end.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib.sh
root=$(pwd)
export KIVRA_PACKAGE_BUILD=${KIVRA_PACKAGE_BUILD:-build-package}
build="$root/$KIVRA_PACKAGE_BUILD"

sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
scripts/deps.sh package >/dev/null

failed=0
pass() { echo "PASS $*"; }
fail() { echo "FAIL $*"; failed=1; }

work=$(mktemp -d)
sim_pid=
cleanup() {
    [ -z "$sim_pid" ] || kill "$sim_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
chmod 755 "$work"

echo "== package"
scripts/package.sh >"$work/package.log" 2>&1 || { tail -n 40 "$work/package.log"; exit 1; }
deb=$(ls "$build"/kivra_*_amd64.deb)
echo "   $deb"

echo "== lintian, desktop entry, AppStream"
# lintian warns against running as root: as root it runs as nobody, on a copy
# of the package that nobody can read wherever the tree is.
mkdir "$work/lint"
cp "$deb" "$work/lint/"
chmod 644 "$work/lint/$(basename "$deb")"
lint=()
if [ "$(id -u)" -eq 0 ]; then
    chown nobody "$work/lint"
    lint=(setpriv --reuid=nobody --regid="$(id -g nobody)" --clear-groups env HOME="$work/lint")
fi
"${lint[@]}" lintian --tag-display-limit 0 "$work/lint/$(basename "$deb")" >"$work/lintian.log" 2>&1 ||
    true
cat "$work/lintian.log"
if grep -q '^E:' "$work/lintian.log"; then fail "lintian reports errors"; else pass "lintian: no errors"; fi
desktop-file-validate packaging/linux/org.example.kivra.Trova.desktop && pass "desktop-file-validate" ||
    fail "desktop-file-validate"
appstreamcli validate --no-net "$build/packaging/org.example.kivra.Trova.metainfo.xml" &&
    pass "appstreamcli validate" || fail "appstreamcli validate"

echo "== install"
"${sudo_cmd[@]}" apt-get install -y -qq "$deb" >"$work/apt.log" 2>&1 || { cat "$work/apt.log"; exit 1; }
appdir=$(dirname "$(readlink -f /usr/bin/trova)")
[ "$appdir" = /usr/lib/kivra ] && pass "trova links to $appdir" || fail "trova links to $appdir"

# The installed program, started through its link by an ordinary user whose
# own config.ini asks for English (the program's folder is read-only to that
# user). The files it opens show what it found.
echo "== installed trova"
user=nobody
home="$work/home"
mkdir -p "$home/.config/Trova"
printf '[language]\nlanguage=EN\n' >"$home/.config/Trova/config.ini"
chown -R "$user" "$home"
chmod 700 "$home" # also its runtime folder, which Qt wants private
run_as_user() {
    "${sudo_cmd[@]}" setpriv --reuid="$user" --regid="$(id -g "$user")" --clear-groups \
        env -i PATH=/usr/bin:/bin HOME="$home" XDG_CONFIG_HOME="$home/.config" \
        XDG_RUNTIME_DIR="$home" QT_QPA_PLATFORM=offscreen "$@"
}
run_as_user timeout 5 strace -f -qq -e trace=openat -o "$home/trace" trova || true
opened() { grep -E "openat\(AT_FDCWD, \"$1\", [^)]*\) = [0-9]+" "$home/trace" >/dev/null; }
opened "$home/.config/Trova/config.ini" && pass "reads the user's config.ini" ||
    fail "reads the user's config.ini"
opened /usr/lib/kivra/trans_en_US.qm && pass "loads /usr/lib/kivra/trans_en_US.qm" ||
    fail "loads /usr/lib/kivra/trans_en_US.qm"
opened /usr/lib/kivra/font.ttf && pass "loads /usr/lib/kivra/font.ttf" ||
    fail "loads /usr/lib/kivra/font.ttf"
# The about page opens these two; the manual's sources make the build lay
# them out.
if [ -d docs/manual ]; then
    [ -f "/usr/lib/kivra/help/Kivra软件使用说明书.pdf" ] && [ -d /usr/lib/kivra/help/SDK ] &&
        pass "help folder with manual and SDK" || fail "help folder with manual and SDK"
else
    echo "   (no docs/manual in this tree: no help folder to check)"
fi

echo "== README examples against the installed library"
awk '/^```c$/{f=1;next} /^```$/{if(f)exit} f' README.md >"$work/demo.c"
awk '/^```python$/{f=1;next} /^```$/{if(f)exit} f' README.md >"$work/demo.py"
export KIVRA_PORT_DIR="$work/ports"
# The simulator publishes only into a directory private to its user.
mkdir -m 700 -p "$KIVRA_PORT_DIR"
kivra-sim --name SIM1 </dev/null >"$work/sim.log" 2>&1 &
sim_pid=$!
wait_for_port "$KIVRA_PORT_DIR" SIM1 $sim_pid || { cat "$work/sim.log"; fail "kivra-sim publishes SIM1"; }
expect_device() { # label, output file
    grep -q "device KIVRA-SHUTTER" "$2" && pass "$1" || { cat "$2"; fail "$1"; }
}
(cd "$work" && cc -Wall -Wextra -Werror demo.c $(pkg-config --cflags --libs kivra) -o demo-pc &&
    ./demo-pc >out-pc 2>&1) || true
expect_device "C example with pkg-config" "$work/out-pc"

mkdir -p "$work/consumer"
cp "$work/demo.c" "$work/consumer/"
cat >"$work/consumer/CMakeLists.txt" <<'CMAKE'
cmake_minimum_required(VERSION 3.16)
project(consumer C)
find_package(KivraLibrary 1 REQUIRED)
add_executable(demo demo.c)
target_link_libraries(demo PRIVATE KivraLibrary::KivraLibrary)
CMAKE
(cmake -S "$work/consumer" -B "$work/consumer/build" >/dev/null &&
    cmake --build "$work/consumer/build" >/dev/null &&
    "$work/consumer/build/demo" >"$work/out-cmake" 2>&1) || true
expect_device "C example with find_package(KivraLibrary)" "$work/out-cmake"

(cd "$work" && /usr/bin/python3 demo.py >out-py 2>&1) || true
expect_device "Python example (ctypes)" "$work/out-py"

echo "== moved install tree"
cmake --install "$build" --prefix "$work/tree" >/dev/null
mv "$work/tree" "$work/moved"
moved="$work/moved"
pc="$(dirname "$(find "$moved" -name kivra.pc)")"
(cd "$work" && cc demo.c $(PKG_CONFIG_PATH="$pc" pkg-config --cflags --libs kivra) -o demo-moved &&
    LD_LIBRARY_PATH=$(PKG_CONFIG_PATH="$pc" pkg-config --variable=libdir kivra) ./demo-moved \
        >out-moved 2>&1) || true
expect_device "C example built against the moved tree" "$work/out-moved"
# ldd takes $ORIGIN from the path it is given; the loader from the resolved one.
if ldd "$(readlink -f "$moved/bin/trova")" | grep -q "libKivraLibrary.so.1 => $moved/"; then
    pass "moved trova finds the moved library"
else
    ldd "$moved/bin/trova"
    fail "moved trova finds the moved library"
fi

# The Tango server, installed with PyTango as the package recommends it:
# help, then one device from a file database against the simulator.
echo "== kivra-tango"
dpkg-deb -f "$deb" Recommends | grep -qw python3-tango && pass "Recommends: python3-tango" ||
    fail "Recommends: python3-tango"
[ -f /usr/share/man/man1/kivra-tango.1.gz ] && pass "kivra-tango man page" ||
    fail "kivra-tango man page"
kivra-tango --help >"$work/tango-help" 2>&1 && grep -q KivraShutter "$work/tango-help" &&
    pass "kivra-tango --help" || { cat "$work/tango-help"; fail "kivra-tango --help"; }
tango_port=45$((RANDOM % 900 + 100))
printf '%s\n' "kivra-tango/pkg/DEVICE/KivraShutter: test/kivra/1" "test/kivra/1->Port: SIM1" \
    >"$work/tango.db"
kivra-tango pkg -file="$work/tango.db" -ORBendPoint "giop:tcp:127.0.0.1:$tango_port" \
    </dev/null >"$work/tango.log" 2>&1 &
tango_pid=$!
cat >"$work/tango-client.py" <<PY
import time, tango
device = tango.DeviceProxy("tango://127.0.0.1:$tango_port/test/kivra/1#dbase=no")
for _ in range(100):
    try:
        device.ping()
        break
    except tango.DevFailed:
        time.sleep(0.1)
device.Open()
print(device.state(), device.DeviceName)
device.Close()
PY
(cd "$work" && timeout 60 /usr/bin/python3 tango-client.py >out-tango 2>&1) || true
kill "$tango_pid" 2>/dev/null || true
wait "$tango_pid" 2>/dev/null || true
grep -q "OPEN KIVRA-SHUTTER" "$work/out-tango" && pass "kivra-tango drives the simulator" ||
    { cat "$work/out-tango" "$work/tango.log"; fail "kivra-tango drives the simulator"; }

# The EPICS IOC, a package of its own where the build had an EPICS base:
# lintian, installed beside kivra, and the example startup script, its
# device set to the simulator, answering a Channel Access client.
echo "== kivra-ioc"
ioc_deb=$(ls "$build"/kivra-ioc_*_amd64.deb 2>/dev/null || true)
if [ -z "$ioc_deb" ]; then
    echo "   not built: this build had no EPICS base (scripts/epics-base.sh)"
else
    echo "   $ioc_deb"
    cp "$ioc_deb" "$work/lint/"
    chmod 644 "$work/lint/$(basename "$ioc_deb")"
    "${lint[@]}" lintian --tag-display-limit 0 "$work/lint/$(basename "$ioc_deb")" \
        >"$work/lintian-ioc.log" 2>&1 || true
    cat "$work/lintian-ioc.log"
    if grep -q '^E:' "$work/lintian-ioc.log"; then fail "kivra-ioc: lintian reports errors"; else
        pass "kivra-ioc: lintian: no errors"; fi
    "${sudo_cmd[@]}" apt-get install -y -qq "$ioc_deb" >"$work/apt-ioc.log" 2>&1 ||
        { cat "$work/apt-ioc.log"; exit 1; }
    [ -f /usr/share/man/man1/kivra-ioc.1.gz ] && pass "kivra-ioc man page" || fail "kivra-ioc man page"
    kivra-ioc --help | grep -q kivraShutter && pass "kivra-ioc --help" || fail "kivra-ioc --help"
    sed 's/"ttyUSB0"/"SIM1"/' /usr/share/doc/kivra-ioc/examples/st.cmd >"$work/st.cmd"
    export EPICS_CA_ADDR_LIST=127.0.0.1 EPICS_CA_AUTO_ADDR_LIST=NO EPICS_CAS_INTF_ADDR_LIST=127.0.0.1
    export EPICS_CA_SERVER_PORT=46$((RANDOM % 900 + 100)) EPICS_PVAS_INTF_ADDR_LIST=127.0.0.1
    export EPICS_PVA_SERVER_PORT=47$((RANDOM % 900 + 100)) EPICS_PVA_BROADCAST_PORT=48$((RANDOM % 900 + 100))
    mkfifo "$work/ioc-in"
    kivra-ioc "$work/st.cmd" <"$work/ioc-in" >"$work/ioc.log" 2>&1 &
    ioc_pid=$!
    exec 9>"$work/ioc-in" # the IOC shell reads until this closes
    if /usr/bin/python3 -c 'import epics' 2>/dev/null; then
        # A put to PROC completes once the record has read the controller.
        /usr/bin/python3 -c 'import epics; pv = "KIVRA:SHUTTER1:DeviceName"
epics.caput(pv + ".PROC", 1, wait=True, timeout=30); print(epics.caget(pv, timeout=30))' \
            >"$work/out-ioc" 2>&1 || true
        grep -q KIVRA-SHUTTER "$work/out-ioc" && pass "kivra-ioc serves the simulator over CA" ||
            { cat "$work/out-ioc" "$work/ioc.log"; fail "kivra-ioc serves the simulator over CA"; }
    else
        echo "   python3-pyepics not installed: no Channel Access check"
    fi
    echo exit >&9
    exec 9>&-
    timeout 60 tail --pid="$ioc_pid" -f /dev/null || kill "$ioc_pid" 2>/dev/null || true
    wait "$ioc_pid" && pass "kivra-ioc exits on exit" || fail "kivra-ioc exits on exit"
    "${sudo_cmd[@]}" apt-get remove -y -qq kivra-ioc >/dev/null 2>&1 || true
fi

kill "$sim_pid" 2>/dev/null || true
wait "$sim_pid" 2>/dev/null || true
sim_pid=
"${sudo_cmd[@]}" apt-get remove -y -qq kivra >/dev/null 2>&1 || true
[ $failed -eq 0 ] && echo "package checks passed" || echo "package checks FAILED"
exit $failed
