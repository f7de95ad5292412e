#!/usr/bin/env bash
# Runs Trova.exe under wine on a virtual X display against kivra-sim (as COM8,
# mapped by a wine prefix of its own), opens the simulated controller as a
# user would (refresh, open, automatic mode, run) and saves pictures of the
# main window in Chinese and in English into docs/screenshots/. Needs the
# build of scripts/test-windows (build-win/program and the native kivra-sim).
# xcompmgr composites the window's translucent margin and drop shadow, which
# are black without a compositing manager. KIVRA_SHOT_DPI=144 or 192 takes
# them on a display scaled to 150 % or 200 % (main-window-windows-*-150.png).
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib.sh
root=$(pwd)
build="$root/${KIVRA_WIN_BUILD:-build-win}"
out=docs/screenshots
program="$build/program"
sim="$build/native/simulator/kivra-sim"
[ -x "$program/Trova.exe" ] && [ -x "$sim" ] || { echo "run scripts/test-windows first" >&2; exit 1; }
scripts/deps.sh windows
scripts/deps.sh screenshots

work=$(mktemp -d)
export WINEPREFIX="$build/wineprefix-shots" WINEARCH=win64 WINEDEBUG=-all
export WINEDLLOVERRIDES=mscoree,mshtml,winedbg.exe=d
wine64=/usr/lib/wine/wine64
ports="$work/ports"
port=8
dpi=${KIVRA_SHOT_DPI:-96}
suffix=""
if [ "$dpi" != 96 ]; then
    suffix=-$((dpi * 100 / 96))
    export KIVRA_XVFB_SCREEN=1600x1200x24
fi
# scaled N: N pixels of the designed window on the display.
scaled() { echo $(($1 * dpi / 96)); }

# The window's own geometry, from the frameless panel's margin inwards.
margin=10
panel_w=700
panel_h=460

xcompmgr_pid="" sim_pid="" app_pid=""
cleanup() {
    for pid in "$app_pid" "$sim_pid" "$xcompmgr_pid"; do
        [ -n "$pid" ] && kill "$pid" 2>/dev/null
    done
    /usr/lib/wine/wineserver -k 2>/dev/null || true
    stop_virtual_display
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

start_virtual_display
xcompmgr >/dev/null 2>&1 &
xcompmgr_pid=$!

mkdir -p "$ports" "$out"
chmod 700 "$ports"
KIVRA_WINE_GRAPHICS=x11 tests/windows/wineprefix.sh setup "$wine64" "$ports" $port $port
"$wine64" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f \
    </dev/null >/dev/null 2>&1
"$sim" --port-dir "$ports" --name WSIM$port >/dev/null &
sim_pid=$!
wait_for_port "$ports" WSIM$port $sim_pid || { echo "kivra-sim did not publish WSIM$port" >&2; exit 1; }

# A copy of the program folder, so its config.ini is this script's own.
cp -r "$program" "$work/Trova"

# click X Y: a left click at a point of the panel.
click() {
    xdotool mousemove $((win_x + $(scaled $((margin + $1))))) \
        $((win_y + $(scaled $((margin + $2))))) click 1
    sleep 1
}

shoot() {
    local language=$1 file=$2
    printf '[language]\nlanguage=%s\n' "$language" >"$work/Trova/config.ini"
    "$wine64" "$work/Trova/Trova.exe" >"$work/trova.log" 2>&1 &
    app_pid=$!
    local wid
    wid=$(xdotool search --sync --onlyvisible --class trova.exe | head -n 1)
    sleep 2
    eval "$(xdotool getwindowgeometry --shell "$wid")"
    win_x=$X
    win_y=$Y
    click 325 55 # refresh the port list
    click 200 55 # drop the list down and pick the port by typing its name
    xdotool type --delay 150 COM$port
    xdotool key Return
    sleep 1
    click 390 55 # open the device
    click 330 125 # automatic mode
    # Run, so the frequency shows: the shot is taken while the simulated
    # controller's ten cycles of 200 ms still run.
    xdotool mousemove $((win_x + $(scaled $((margin + 220))))) \
        $((win_y + $(scaled $((margin + 220))))) click 1
    sleep 0.6
    xdotool mousemove 0 0 # no hover colour on the shot
    sleep 0.4
    import -window root -crop "$(scaled $panel_w)x$(scaled $panel_h)+$((win_x + $(scaled $margin)))+$((win_y + $(scaled $margin)))" \
        +repage "$out/$file"
    kill "$app_pid"
    wait "$app_pid" 2>/dev/null || true
    app_pid=""
    echo "wrote $out/$file"
}

shoot CN main-window-windows-zh$suffix.png
shoot EN main-window-windows-en$suffix.png
