# Sourced by the scripts that show a window on a virtual X display (the
# screenshots under wine, the start-up benchmark).
#
# start_virtual_display: starts Xvfb on a display number few others use,
# exports DISPLAY, sets xvfb_pid for the caller's cleanup and returns once the
# server answers. -noreset keeps it up when the last client goes.
start_virtual_display() {
    local display=:$((90 + RANDOM % 100))
    Xvfb "$display" -noreset -screen 0 1024x768x24 >/dev/null 2>&1 &
    xvfb_pid=$!
    export DISPLAY=$display
    for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
}
