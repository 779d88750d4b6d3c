#!/usr/bin/env bash
# The installed monitor on a real X server with a window manager and an XEmbed system tray,
# driven as a user would and checked from outside: window placement, stacking, title and colour,
# the tray icon's pixels, balloons, Escape and the saved settings, and the fatal error box.
#
# usage: desktop_session.sh STAGE OUTPUT
#   STAGE   an installed tree (cmake --install --prefix STAGE)
#   OUTPUT  folder for the screenshots; states.png there is the picture of the four states
source "$(dirname "$0")/lib.sh"
source "$e2e_dir/tray_states.sh"

stage=${1:?usage: desktop_session.sh STAGE OUTPUT}
output=${2:?usage: desktop_session.sh STAGE OUTPUT}
readonly device_address=127.0.0.150
readonly device_name="captureORVANE E2E"

require_tools Xvfb jwm trayer xdotool xprop xwininfo
require_magick_tools import convert montage
[[ -x $stage/bin/orvane-monitor ]] || fail "no installed program in $stage (run the stage test)"
rm -rf "$output"
mkdir -p "$output"

# A user of their own, and no notification service: Qt then draws balloons itself.
use_private_home
unset DBUS_SESSION_BUS_ADDRESS QT_QPA_PLATFORM WAYLAND_DISPLAY
# The monitor's trace names each balloon's text on standard error.
export QT_LOGGING_RULES="orvane.monitor.info=true"
settings=$(monitor_settings)

start_xvfb
start_window_manager
start_tray
# The pointer stays away from the label, whose tooltip would cover it.
xdotool mousemove 0 0
start_device "$stage/bin/orvane-simdevice" "$device_address" "$device_name"

# Switched on as the README tells users, then started the way the desktop starts the entry.
"$stage/bin/orvane-monitor-autostart" --enable "$device_address" >/dev/null
entry="$XDG_CONFIG_HOME/autostart/orvane-monitor.desktop"
[[ -f $entry ]] || fail "--enable wrote no autostart entry"
exec_line=$(sed -n 's/^Exec=//p' "$entry")
start_monitor "${exec_line//\"/}"
monitor_pid=$!

main_window=$(wait_for 15 visible_window "$monitor_pid" "$device_name") ||
    fail "no monitor window: $(cat "$monitor_trace")"
tray_icon=$(wait_for 10 tray_icon_of "$monitor_pid") ||
    fail "the tray icon was not embedded in the tray"
note "monitor window $main_window, tray icon $tray_icon"
# The frame's place as the window first stands: where it must come back in the next run.
position=$(frame_position_of "$main_window")
# shellcheck disable=SC2034 # go_through_states reads it by its name
declare -A monitor=([pid]=$monitor_pid [window]=$main_window [tray_icon]=$tray_icon
    [device]=$device_address [name]=$device_name [output]=$output [tray]=qt)
go_through_states monitor 127.0.0.1

press_key_in "$main_window" Escape
expect_exit "$monitor_pid" 15 0 Escape
grep -q '^pos=@Point(' "$settings" || fail "no pos in the settings: $(cat "$settings")"
grep -q '^StateChangedMessage=true$' "$settings" || fail "no StateChangedMessage: $(cat "$settings")"
saved_pos=$(sed -n 's/^pos=@Point(\([-0-9]*\) \([-0-9]*\))$/\1 \2/p' "$settings")
[[ $saved_pos == "$position" ]] || fail "saved position $saved_pos, but the window stood at $position"
note "Escape: exit code 0, settings hold pos ($saved_pos) and StateChangedMessage"

montage_states "$output" "$output/states.png"

# Started again by hand: the window comes back where it was, and a reply without "#" is fatal.
device_command "$device_address" free
start_monitor "$stage/bin/orvane-monitor" "$device_address"
monitor_pid=$!
main_window=$(wait_for 15 visible_window "$monitor_pid" "$device_name") ||
    fail "no monitor window in the second run"
second_position=$(frame_position_of "$main_window")
# Reported at the end, so that the checks below still run.
position_fault=
[[ $second_position == "$saved_pos" ]] ||
    position_fault="second run at $second_position, not at the saved $saved_pos"
device_command "$device_address" nohash
answer_error_box "$monitor_pid" "$output/error-box.png"
note "reply without #: error box, Return, exit code 2"

# The first query fails already: the box comes before any window, and the program ends with 2;
# the window was never shown, so the position saved before stays.
pos_before=$(grep '^pos=' "$settings")
start_monitor "$stage/bin/orvane-monitor" "$device_address"
monitor_pid=$!
box=$(wait_for 15 visible_window "$monitor_pid" "Error getting state") ||
    fail "no error box when the first query fails"
! visible_window "$monitor_pid" "$device_name" >/dev/null ||
    fail "the monitor window is shown although the first query failed"
press_key_in "$box" Return
expect_exit "$monitor_pid" 15 2 "a failing first query"
grep -qxF "$pos_before" "$settings" ||
    fail "the saved position was lost: $(cat "$settings")"
note "failing first query: error box without window, exit code 2"

[[ -z $position_fault ]] || fail "$position_fault"
echo "desktop session: all checks passed; screenshots in $output"
