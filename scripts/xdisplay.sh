# Sourced by the scripts that show a window on a virtual X display (the
# screenshots under wine, the start-up benchmark).
#
# start_virtual_display: starts Xvfb on a display number few others use,
# exports DISPLAY, sets xvfb_pid for the caller's cleanup and returns once the
# server answers. -noreset keeps it up when the last client goes; 96 DPI is
# what the programs are drawn for unless a script scales them itself
# (KIVRA_XVFB_SCREEN gives a larger screen for that).
start_virtual_display() {
    local display=:$((90 + RANDOM % 100))
    Xvfb "$display" -noreset -dpi 96 -screen 0 "${KIVRA_XVFB_SCREEN:-1024x768x24}" >/dev/null 2>&1 &
    xvfb_pid=$!
    export DISPLAY=$display
    for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
}
