#!/usr/bin/env bash
# The installed monitor on a desktop without a system tray, as plain GNOME is, and a tray that
# comes later: the window's own right-click menu is the tray's, "Hide" is not offered until a
# tray is there, a tray started after the program takes the icon, and a tray that goes away
# while the window is hidden brings the window back; Quit followed at once by a new start ends with
# a monitor.
#
# usage: no_tray_session.sh STAGE OUTPUT
source "$(dirname "$0")/lib.sh"

set_up_scenario orvane-monitor "$@"
readonly device_address=127.0.0.221
readonly device_name="captureORVANE no tray"

require_tools Xvfb jwm trayer xdotool xprop xwininfo
require_magick_tools import

# The popup menu of the program: a mapped window that bypasses the window manager, and tall
# enough for the thirteen entries (a tooltip is not).
find_menu() {
    first_of "$(visible_windows_of "$monitor_pid")" is_menu >/dev/null
}

is_menu() {
    xwininfo -id "$1" | grep -q 'Override Redirect State: yes' &&
        (($(geometry_of "$1" | awk '{print $4}') >= 150))
}

no_menu() {
    ! find_menu
}

# choose_from_window_menu KEYS...: right-click on the window, then the keys in the menu. With
# the mouse away from it, Down picks the first entry on offer and Up the last one.
choose_from_window_menu() {
    xdotool mousemove --window "$main_window" 20 10 click 3
    wait_until 5 find_menu || fail "a right click on the window opened no menu"
    xdotool mousemove 0 0
    xdotool key --delay 100 "$@"
}

# The window has left the lower right corner, where it started, for where the user moved it.
window_moved() {
    local x
    read -r x _ < <(geometry_of "$main_window")
    ((x < 500))
}

start_x_desktop
start_session_bus
start_device "$stage/bin/orvane-simdevice" "$device_address" "$device_name"

launch_monitor "" "$stage/bin/orvane-monitor" "$device_address"
wait_until 10 label_has_colour "$main_window" "#00FF00" || fail "the label never turned green"

# No tray: the first entry on offer is "Change IP address"; Show and Hide are not.
choose_from_window_menu Down
screenshot_area 0 0 "$screen_width" "$screen_height" "$output/no-tray-menu.png"
xdotool key Return
dialog=$(wait_for 5 visible_window "$monitor_pid" "IP address of Orvane") ||
    fail "Down and Return in the window's menu did not reach \"Change IP address\""
press_key_in "$dialog" Escape
wait_until 5 no_menu || fail "the menu stays open"
window_shown || fail "the window went away without a tray"
note "no tray: the window's menu offers neither Show nor Hide; \"Change IP address\" opens"

# A tray that comes after the program takes the icon, and "Hide" is on offer. The panel would
# cover the window in its corner: the user has moved it.
xdotool windowmove "$main_window" 400 300
wait_until 5 window_moved || fail "the window could not be moved out of the corner"
start_tray
tray_pid=$(newest_process)
wait_until 10 tray_icon_of "$monitor_pid" >/dev/null || fail "the tray started later never got the icon"
choose_from_window_menu Down Return
wait_until 5 window_hidden || fail "with a tray, Down and Return did not hide the window"
note "tray started later: icon embedded, Hide offered and hides the window"

# The tray goes away while the window is hidden: the window comes back within a poll.
stop_process "$tray_pid" 10
wait_until 15 window_shown || fail "the window stayed hidden after the tray went away"
note "tray gone: the window is back"

# Quit, and a start at once, as an installer restarts the program: the new start gets the device
# while the monitor that quits may still be ending.
choose_from_window_menu Up Return
wait_until 5 window_hidden || fail "Quit did not close the window"
quitting_pid=$monitor_pid
launch_monitor "started right after Quit" "$stage/bin/orvane-monitor" "$device_address"
expect_exit "$quitting_pid" 15 0 "Quit from the window's menu"
key_ends "$main_window" Escape "$monitor_pid" 0 "Escape in the window started after Quit"
note "Quit, then a start at once: a monitor of the new start"
echo "desktop without tray: all checks passed"
