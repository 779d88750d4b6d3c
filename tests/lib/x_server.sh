# The X server of a script: Xvfb with one screen (part of tests/lib/common.sh).
# shellcheck shell=bash

# The screen, in pixels; a Wayland compositor's output has the same size.
readonly screen_width=1024 screen_height=768

# Starts Xvfb on a display it picks itself, so that parallel runs never meet; sets DISPLAY.
# -noreset: by default the server resets when its last client leaves and drops any client that
# connects meanwhile, such as the window manager right after the readiness probe has left.
start_xvfb() {
    local display_file=$scratch/display
    start_process Xvfb -displayfd 3 -noreset -screen 0 "${screen_width}x${screen_height}x24" \
        -nolisten tcp 3>"$display_file" 2>"$scratch/xvfb.log"
    wait_until 10 test -s "$display_file" || fail "Xvfb did not start: $(cat "$scratch/xvfb.log")"
    export DISPLAY
    DISPLAY=":$(head -n 1 "$display_file")"
    wait_until 10 xprop -root _NET_NOTHING >/dev/null 2>&1 ||
        fail "display $DISPLAY does not answer"
    note "X server on $DISPLAY"
}
