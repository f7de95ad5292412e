#!/usr/bin/env bash
# Runs Trova for real on a virtual X display against kivra-sim, opens the
# simulated controller as a user would (refresh, open, automatic mode) and
# saves pictures of the main window in Chinese and in English into
# docs/screenshots/. Needs xvfb, xdotool and ImageMagick (scripts/deps.sh).
set -euo pipefail
cd "$(dirname "$0")/.."

build=${BUILD_DIR:-build}
out=docs/screenshots

if [ "${1:-}" != "--on-display" ]; then
    scripts/deps.sh
    cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    cmake --build "$build" -j "$(nproc)" --target Trova kivra-sim TrovaTranslations
    exec xvfb-run -a -s "-dpi 96 -screen 0 1024x768x24" "$0" --on-display
fi

app_dir="$build/app"
config="$app_dir/config.ini"
port_dir=$(mktemp -d)
export KIVRA_PORT_DIR="$port_dir"
mkdir -p "$out"

# The window's own geometry, from the frameless panel's margin inwards.
margin=10
panel_w=700
panel_h=460

sim_pid=""
app_pid=""
saved_config=""
cleanup() {
    [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null
    [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null
    wait 2>/dev/null || true
    rm -f "$config"
    [ -n "$saved_config" ] && mv "$saved_config" "$config"
    rm -rf "$port_dir"
}
trap cleanup EXIT
if [ -e "$config" ]; then
    saved_config=$(mktemp)
    cp "$config" "$saved_config"
fi

"$build/simulator/kivra-sim" --name SIM1 >/dev/null &
sim_pid=$!
for _ in $(seq 50); do [ -e "$port_dir/SIM1" ] && break; sleep 0.1; done

# click X Y: a left click at a point of the panel.
click() {
    xdotool mousemove $((win_x + margin + $1)) $((win_y + margin + $2)) click 1
    sleep 0.5
}

shoot() {
    local language=$1 file=$2
    printf '[language]\nlanguage=%s\n' "$language" >"$config"
    "$app_dir/Trova" &
    app_pid=$!
    local wid
    wid=$(xdotool search --sync --onlyvisible --pid "$app_pid" | head -n 1)
    eval "$(xdotool getwindowgeometry --shell "$wid")"
    win_x=$X
    win_y=$Y
    sleep 0.5
    click 325 55 # refresh the port list
    click 200 55 # drop the list down and pick SIM1 by typing its name
    xdotool type --delay 100 SIM1
    xdotool key Return
    sleep 0.5
    click 390 55 # open the device
    click 330 125 # automatic mode
    click 220 220 # run, so the frequency shows
    xdotool mousemove 0 0 # no hover colour on the shot
    sleep 1
    import -window root -crop "${panel_w}x${panel_h}+$((win_x + margin))+$((win_y + margin))" \
        +repage "$out/$file"
    kill "$app_pid"
    wait "$app_pid" 2>/dev/null || true
    app_pid=""
    echo "wrote $out/$file"
}

shoot CN main-window-zh.png
shoot EN main-window-en.png
