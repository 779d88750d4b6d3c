#!/usr/bin/env bash
# The installed monitor on a real X server with a window manager and an XEmbed system tray,
# driven as a user would and checked from outside: window placement, stacking, title and colour,
# the tray icon's pixels, balloons, Escape and the saved settings, and the fatal error box; and
# two devices watched from one PC, each started from its login entry and each window coming back
# at its own place; and the user's second X server, which gets monitors of its own.
#
# usage: desktop_session.sh STAGE OUTPUT
#   STAGE   an installed tree (cmake --install --prefix STAGE)
#   OUTPUT  folder for the screenshots; states.png there is the picture of the four states
source "$(dirname "$0")/lib.sh"
source "$e2e_dir/tray_states.sh"
# The monitor looks up the holders the device names; no lookup leaves the machine.
script_with_own_resolver /etc/hosts local "$0" "$@"

set_up_scenario orvane-monitor "$@"
readonly device_address=127.0.0.150
readonly device_name="captureORVANE E2E"
readonly second_address=127.0.0.152 second_name="captureORVANE E2E 2"

require_tools Xvfb jwm trayer xdotool xprop xwininfo
require_magick_tools import convert montage
rm -rf "${output:?}"/*

# No notification service (set_up_scenario): Qt draws balloons itself.
settings=$(monitor_settings)

# entry_command ADDRESS: the command line of the device's login entry, as command, the way GLib
# reads the entry and splits its Exec for a desktop.
entry_command() {
    local entry="$XDG_CONFIG_HOME/autostart/orvane-monitor-$1.desktop"
    [[ -f $entry ]] || fail "--enable wrote no login entry for $1"
    mapfile -t command < <(probe desktop-exec "$entry")
    ((${#command[@]})) || fail "GLib starts nothing from $entry: $(cat "$entry")"
}

# start_second_monitor: the second device's monitor, from its login entry, with a trace of its
# own; sets second_pid and second_window.
start_second_monitor() {
    start_process "${second_command[@]}" >/dev/null 2>"$scratch/second.err"
    second_pid=$!
    second_window=$(wait_for 15 visible_window "$second_pid" "$second_name") ||
        fail "no monitor window for $second_address: $(cat "$scratch/second.err")"
}

# frames_apart WINDOW WINDOW: the two windows' frames do not overlap.
frames_apart() {
    local first second x1 y1 w1 h1 x2 y2 w2 h2
    first=$(frame_of "$1") && second=$(frame_of "$2") || return 1
    read -r x1 y1 w1 h1 <<<"$first"
    read -r x2 y2 w2 h2 <<<"$second"
    ((x1 + w1 <= x2 || x2 + w2 <= x1 || y1 + h1 <= y2 || y2 + h2 <= y1))
}

# hand_over COMMAND...: a start for a device that a monitor watches already, while that one's
# window is hidden: it ends with 0 without a poll of its own, and the running monitor's window
# comes up. (How fast: scripts/measure-startup.sh.)
hand_over() {
    local icon
    icon=$(wait_for 10 tray_icon_of "$monitor_pid") || fail "no tray icon of the first monitor"
    xdotool mousemove --window "$icon" 5 5 click 1 mousemove 0 0
    wait_until 5 window_hidden || fail "a click on the tray icon did not hide the window"
    hands_over 10 "$@"
    wait_until 5 window_shown || fail "the running monitor did not show its window for a second start ($*)"
}

# tooltip_window_height PID: the height of the tooltip the program shows now (its only window of
# the tooltip type while no balloon is up).
tooltip_window_height() {
    local window height
    window=$(tooltip_window_of "$1") || return 1
    read -r _ _ _ height < <(geometry_of "$window")
    [[ -n $height ]] && echo "$height"
}

# tooltip_in TRACE: the tooltip the monitor gave its tray icon at its latest poll.
tooltip_in() {
    sed -n 's/^orvane.monitor: state: .* | tooltip: //p' "$1" | tail -n 1
}

start_x_desktop
start_session_bus
start_tray
start_device "$stage/bin/orvane-simdevice" "$device_address" "$device_name"
start_device "$stage/bin/orvane-simdevice" "$second_address" "$second_name"

# Switched on as the README tells users, for two devices; each login entry is started the way a
# desktop starts it.
"$stage/bin/orvane-monitor-autostart" --enable "$device_address" >/dev/null
"$stage/bin/orvane-monitor-autostart" --enable "$second_address" >/dev/null
listed=$("$stage/bin/orvane-monitor-autostart" --list)
[[ $listed == "$device_address"$'\n'"$second_address" ]] || fail "--list: $listed"
entry_command "$second_address"
second_command=("${command[@]}")
entry_command "$device_address"
launch_monitor "" "${command[@]}"
# The frame's place as the window first stands (position) is where it must come back in the
# next run.
watch_monitor monitor qt
go_through_states monitor 127.0.0.1

key_ends "$main_window" Escape "$monitor_pid" 0 Escape
grep -q '^pos=@Point(' "$settings" || fail "no pos in the settings: $(cat "$settings")"
! grep -q '^StateChangedMessage=' "$settings" ||
    fail "the balloon switch was saved although nobody switched it: $(cat "$settings")"
saved_pos=$(sed -n 's/^pos=@Point(\([-0-9]*\) \([-0-9]*\))$/\1 \2/p' "$settings")
[[ $saved_pos == "$position" ]] || fail "saved position $saved_pos, but the window stood at $position"
note "Escape: exit code 0, settings hold pos ($saved_pos) and no balloon switch"

montage_states "$output" "$output/states.png"

# Started again by hand: the window comes back where it was. Beside it the second device's
# monitor, from its login entry: without a place of its own yet, and the place saved for any being
# the first device's, it comes up above, not on top. The tray icons can be told apart by their
# tooltips.
device_command "$device_address" free
launch_monitor "in the second run" "$stage/bin/orvane-monitor" "$device_address"
comes_back_at "$main_window" "$saved_pos" "second run"
start_second_monitor
wait_until 10 frames_apart "$main_window" "$second_window" ||
    fail "the second device's window at $(frame_position_of "$second_window") covers the first's"
second_place=$(frame_position_of "$second_window")
((${second_place#* } < ${saved_pos#* })) || fail "the second device's window is not above the first's"
for trace in "$monitor_trace" "$scratch/second.err"; do
    wait_until 15 eval '[[ -n $(tooltip_in "$trace") ]]' || fail "no tooltip in $trace"
done
[[ $(tooltip_in "$monitor_trace") == "$device_name ($device_address) available" &&
    $(tooltip_in "$scratch/second.err") == "$second_name ($second_address) available" ]] ||
    fail "tooltips '$(tooltip_in "$monitor_trace")' and '$(tooltip_in "$scratch/second.err")'"
note "two devices: the second window from its entry above the first, at $second_place;" \
    "tooltips '$(tooltip_in "$monitor_trace")' and '$(tooltip_in "$scratch/second.err")'"

# One monitor per device: later starts, the address written either way, show the first's window.
hand_over "$stage/bin/orvane-monitor" "${device_address/.0./.00.}"
hand_over "${command[@]}"
# The user's other graphical session, such as a remote desktop beside the console, is another X
# server on the same session bus: the device gets a monitor of its own there, to which a start
# there hands over, its display written with the screen; a start here still shows the first's.
desktop_display=$DISPLAY
start_xvfb
other_display=$DISPLAY
DISPLAY=$desktop_display
DISPLAY=$other_display start_process "$stage/bin/orvane-monitor" "$device_address" \
    >/dev/null 2>"$scratch/other.err"
other_pid=$!
DISPLAY=$other_display wait_for 15 visible_window "$other_pid" "$device_name" >/dev/null ||
    fail "no monitor on the user's other display: $(cat "$scratch/other.err")"
DISPLAY=$other_display.0 hands_over 10 "$stage/bin/orvane-monitor" "$device_address"
hand_over "$stage/bin/orvane-monitor" "$device_address"
stop_process "$other_pid"
# A killed monitor leaves nothing that stops the next start.
kill -KILL "$monitor_pid"
expect_exit "$monitor_pid" 5 137 "the killed monitor"
launch_monitor "after the monitor of the device was killed" "$stage/bin/orvane-monitor" \
    "$device_address"
note "second starts (${device_address/.0./.00.}, the login entry) showed the first's window and" \
    "ended with 0; on the other display $other_display a monitor of its own;" \
    "after kill -KILL the device started again"

# A device's name is text: with tags in it, Qt's own tooltip in the tray shows them as characters
# on one line.
device_command "$second_address" "name lab$(printf '<br>%.0s' {1..10})tags"
wait_until 15 eval '[[ $(tooltip_in "$scratch/second.err") == *"<br>"* ]]' ||
    fail "the new name never reached the tooltip: $(tooltip_in "$scratch/second.err")"
second_icon=$(tray_icon_of "$second_pid") || fail "no tray icon of the second monitor"
xdotool mousemove --window "$second_icon" 5 5
height=$(wait_for 10 tooltip_window_height "$second_pid") || fail "no tooltip over the tray icon"
xdotool mousemove 0 0
((height < 40)) || fail "the tooltip with tags in the device's name is $height pixels high"
device_command "$second_address" "name $second_name"
note "a name with ten <br> tags: the tray's tooltip $height pixels high"

# A reply without "#" is fatal; the settings are written on the way out all the same.
device_command "$device_address" nohash
answer_box 25 "$monitor_pid" "Error getting state" 2 "a reply without #" "$output/error-box.png"
note "reply without #: error box, Return, exit code 2"
key_ends "$second_window" Escape "$second_pid" 0 "Escape in the second device's window"
grep -qx "pos=@Point(${second_place/ / })" "$settings" ||
    fail "pos is not the place of the window that ended last: $(cat "$settings")"

# The first query fails already: the box comes before any window, and the program ends with 2;
# the window was never shown, so the position saved before stays.
pos_before=$(grep '^pos=' "$settings")
start_monitor "$stage/bin/orvane-monitor" "$device_address"
monitor_pid=$!
wait_until 15 visible_window "$monitor_pid" "Error getting state" >/dev/null ||
    fail "no error box when the first query fails"
window_hidden || fail "the monitor window is shown although the first query failed"
answer_box 1 "$monitor_pid" "Error getting state" 2 "a failing first query"
grep -qxF "$pos_before" "$settings" ||
    fail "the saved position was lost: $(cat "$settings")"
note "failing first query: error box without window, exit code 2"

# Each device's window comes back at its own place, although the place for any is the second's.
device_command "$device_address" free
start_second_monitor
comes_back_at "$second_window" "$second_place" "the second device's second run"
launch_monitor "in the last run" "$stage/bin/orvane-monitor" "$device_address"
comes_back_at "$main_window" "$saved_pos" "the last run"
note "each device's window came back at its own place: $saved_pos and $second_place"

echo "desktop session: all checks passed; screenshots in $output"
