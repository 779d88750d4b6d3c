#!/usr/bin/env bash
# The installed monitor in a Wayland session: weston (headless, with XWayland) and Qt's Wayland
# platform installed. Where the session offers XWayland and the user chose no platform, the
# program runs on X11 and asks for the lower right corner and to stay on top; with the user's
# own QT_QPA_PLATFORM, or with no X display at all, it runs on Wayland and still shows its state.
#
# usage: wayland_session.sh STAGE OUTPUT
source "$(dirname "$0")/lib.sh"

set_up_scenario orvane-monitor "$@"
readonly device_address=127.0.0.222
readonly device_name="captureORVANE Wayland"
readonly wayland_socket=orvane-e2e

require_tools weston weston-screenshooter Xwayland xdotool xprop xwininfo xlsatoms
require_magick_tools convert
[[ -n $(find /usr/lib -path '*qt6/plugins/platforms/libqwayland-generic.so' 2>/dev/null) ]] ||
    require_tools qt6-wayland

use_private_runtime_folder
unset DISPLAY XDG_SESSION_TYPE

# weston on a memory output, with XWayland, logging what its X window manager sees. --debug
# lets the test's own screenshooter read the output.
start_weston() {
    start_process weston --backend=headless-backend.so --use-pixman --width="$screen_width" \
        --height="$screen_height" --xwayland --debug --socket="$wayland_socket" \
        --logger-scopes=log,xwm-wm-x11 --log="$scratch/weston.log"
    wait_until 15 grep -qs 'xserver listening on display' "$scratch/weston.log" ||
        fail "weston offered no X display: $(cat "$scratch/weston.log")"
    export WAYLAND_DISPLAY=$wayland_socket
    export DISPLAY
    DISPLAY=$(sed -n 's/.*xserver listening on display \(:[0-9]*\).*/\1/p' "$scratch/weston.log")
    note "weston on $WAYLAND_DISPLAY with XWayland on $DISPLAY"
}

# asked_to_stay_on_top WINDOW: weston's window manager saw the window ask for
# _NET_WM_STATE_ABOVE, in its state property or in a request to add it. Weston empties the
# property once it maps the window, and it hears of the property only if it began to watch the
# window before the program set it, which a busy machine does not promise; the request (a client
# message, which always reaches it) counts as well.
asked_to_stay_on_top() {
    local window=$(($1)) above
    above=$(xlsatoms -name _NET_WM_STATE_ABOVE | cut -f 1)
    [[ -n $above ]] || return 1
    local property="window $window, _NET_WM_STATE: .*_NET_WM_STATE_ABOVE"
    local request="XCB_CLIENT_MESSAGE \(_NET_WM_STATE 1 ([0-9]+ )?$above .*win $window\)"
    grep -q -E "$property|$request" "$scratch/weston.log"
}

# The compositor's output as a PNG file.
screenshot_output() {
    local shots="$scratch/shots"
    rm -rf "$shots"
    mkdir "$shots"
    (cd "$shots" && timeout 10 weston-screenshooter >/dev/null 2>&1) || return 1
    mv "$shots"/*.png "$1"
}

# The label's green shows somewhere on the compositor's output.
output_shows_green() {
    screenshot_output "$1" && (($(count_colour "$1" 00FF00) >= 1500))
}

# run_monitor NAME ENVIRONMENT...: starts the monitor with these changes to the environment and
# waits for its first answer from the device.
run_monitor() {
    local name=$1 before after
    shift
    before=$(requests_seen "$device_address")
    start_monitor env "$@" "$stage/bin/orvane-monitor" "$device_address"
    monitor_pid=$!
    wait_until 15 grep -q '^orvane.monitor: state: 3 ' "$monitor_trace" ||
        fail "$name: the program showed no state: $(cat "$monitor_trace")"
    after=$(requests_seen "$device_address")
    ((after > before)) || fail "$name: the device saw no request"
}

start_weston
start_device "$stage/bin/orvane-simdevice" "$device_address" "$device_name"

# Both displays, no platform chosen: the window is on XWayland.
run_monitor xwayland
main_window=$(wait_for 10 visible_window "$monitor_pid" "$device_name") ||
    fail "xwayland: no window on the X display $DISPLAY"
read -r _ _ width height < <(geometry_of "$main_window")
# The lower right corner of the X screen, asked for as the window's place...
corner="$((screen_width - 1 - width)), $((screen_height - 1 - height))"
xprop -id "$main_window" WM_NORMAL_HINTS | grep -q "user specified location: $corner$" ||
    fail "xwayland: not placed at the lower right: $(xprop -id "$main_window" WM_NORMAL_HINTS)"
# ...and to stay on top, as weston's window manager saw it before it mapped the window.
asked_to_stay_on_top "$main_window" ||
    fail "xwayland: the window never asked weston to stay on top"
wait_until 10 output_shows_green "$output/wayland-xwayland.png" ||
    fail "xwayland: the compositor's output shows no green label"
note "xwayland: window on $DISPLAY, asked for the lower right and to stay on top, shown green"
stop_process "$monitor_pid" 10

# The user's own platform wins, and without an X display the program runs on Wayland alone.
for run in "user-platform QT_QPA_PLATFORM=wayland" "wayland-only -u DISPLAY"; do
    read -ra name_and_settings <<<"$run"
    name=${name_and_settings[0]}
    run_monitor "${name_and_settings[@]}"
    sleep 2 # time enough for a window to come up on X, which it must not
    [[ -z $(all_windows_of "$monitor_pid") ]] || fail "$name: the program has a window on X"
    wait_until 10 output_shows_green "$output/wayland-$name.png" ||
        fail "$name: the compositor's output shows no green label"
    note "$name: on Wayland, no X window, the label shows green"
    stop_process "$monitor_pid" 10
done
echo "Wayland session: all checks passed; screenshots in $output"
