#!/usr/bin/env bash
# CTest fixture of the Windows tests: a wine prefix whose COM ports FIRST..LAST
# are mapped to the simulator links DIR/WSIMn that each test's kivra-sim
# publishes (see tests/support/simport_win.cpp), and a wineserver kept running
# for the whole run; cleanup stops the server and any simulator left over.
# WINEPREFIX and the other WINE* variables come from the test's environment.
# Windows get wine's null display driver, so programs that need native
# windows (the device-change suite on Qt's windows platform) run without an X
# server; KIVRA_WINE_GRAPHICS=x11 keeps the X driver (screenshots).
#
#   wineprefix.sh setup WINE64 DIR FIRST LAST
#   wineprefix.sh cleanup DIR
set -u
wineserver=/usr/lib/wine/wineserver
logs="$WINEPREFIX.logs"
mkdir -p "$logs"

# The wineserver and wine's programs write into files, never into the
# caller's pipes: wine's background services keep inherited pipes open, and
# the server prints a large dump when it exits after a serial port was used.
stop_wineserver() {
    "$wineserver" -k >/dev/null 2>&1 || true
    "$wineserver" -w >/dev/null 2>&1 || true
}
start_wineserver() {
    "$wineserver" -p </dev/null >>"$logs/wineserver.log" 2>&1 &
    sleep 0.5
}

case ${1:-} in
setup)
    wine64=$2 dir=$3 first=$4 last=$5
    # The simulators publish only into a directory private to this user.
    mkdir -p "$dir"
    chmod 700 "$dir"
    stop_wineserver
    start_wineserver
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        "$wine64" wineboot -i </dev/null >"$logs/wineboot.log" 2>&1 || true
    fi
    "$wine64" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d "${KIVRA_WINE_GRAPHICS:-null}" /f \
        </dev/null >>"$logs/reg.log" 2>&1 || { echo "cannot choose the display driver"; exit 1; }
    # Wine reads the port key and the driver when its services start, so the
    # server is started again after they are written.
    for n in $(seq "$first" "$last"); do
        "$wine64" reg add 'HKLM\Software\Wine\Ports' /v "COM$n" /d "$dir/WSIM$n" /f \
            </dev/null >>"$logs/reg.log" 2>&1 || { echo "cannot map COM$n"; exit 1; }
    done
    stop_wineserver
    start_wineserver
    # Start wine's background services here, with their output in a file:
    # started by the first test instead, they would hold its output pipe open
    # and ctest would wait on it until the test's timeout.
    "$wine64" reg query 'HKLM\Software\Wine\Ports' </dev/null >>"$logs/reg.log" 2>&1 || true
    echo "wine prefix $WINEPREFIX: COM$first..COM$last mapped to $dir"
    ;;
cleanup)
    dir=$2
    stop_wineserver
    for ready in "$dir"/*.ready; do
        [ -e "$ready" ] || continue
        kill "$(cat "$ready")" 2>/dev/null || true
        rm -f "$ready"
    done
    ;;
*)
    echo "usage: wineprefix.sh setup WINE64 DIR FIRST LAST | cleanup DIR" >&2
    exit 2
    ;;
esac
