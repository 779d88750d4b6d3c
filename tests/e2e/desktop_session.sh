#!/usr/bin/env bash
# The installed monitor on a real X server with a window manager and an XEmbed system tray,
# started from its login entry and driven as a user would and checked from outside: window
# placement, stacking, title and colour, the tray icon's pixels, balloons, Escape and the saved
# settings, and the fatal error box. A second device's login entry starts a monitor of its own.
#
# usage: desktop_session.sh STAGE OUTPUT
#   STAGE   an installed tree (cmake --install --prefix STAGE)
#   OUTPUT  folder for the screenshots; states.png there is the picture of the four states
source "$(dirname "$0")/lib.sh"

stage=${1:?usage: desktop_session.sh STAGE OUTPUT}
output=${2:?usage: desktop_session.sh STAGE OUTPUT}
readonly device_address=127.0.0.150
readonly device_name="captureORVANE E2E"
readonly other_pc=198.51.100.7 # only text in the reply; nothing is ever sent there
# Qt's own tray window paints the icon over trayer's whole slot (check_colours).
readonly tray_fills_slot=1
readonly second_address=127.0.3.10 second_name="captureORVANE E2E 2"

require_tools Xvfb jwm trayer xdotool xprop xwininfo
/usr/bin/python3 -c 'import gi' 2>/dev/null || require_tools python3-gi
for tool in import convert montage; do
    [[ -x $(magick_tool "$tool") ]] || require_tools "$tool"
done
[[ -x $stage/bin/orvane-monitor ]] || fail "no installed program in $stage (run the stage test)"
rm -rf "$output"
mkdir -p "$output"

# A user of their own, and no notification service: Qt then draws balloons itself.
export HOME=$e2e_tmp/home
export XDG_CONFIG_HOME=$HOME/.config XDG_STATE_HOME=$HOME/.local/state
mkdir -p "$HOME"
unset DBUS_SESSION_BUS_ADDRESS QT_QPA_PLATFORM WAYLAND_DISPLAY
# The monitor's trace names each balloon's text on standard error.
export QT_LOGGING_RULES="orvane.monitor.info=true"
settings="$XDG_CONFIG_HOME/Halvorn GmbH.conf"

# --- the monitor's windows -----------------------------------------------------------------

# The program's window that trayer has taken into its panel.
find_tray_icon() {
    find_tray_icon_of "$monitor_pid"
}

# A balloon: a mapped tooltip-type window of the program (Qt's own balloon without a
# notification service).
find_balloon() {
    local window
    for window in $(xdotool search --onlyvisible --pid "$monitor_pid" 2>/dev/null); do
        if xprop -id "$window" _NET_WM_WINDOW_TYPE 2>/dev/null | grep -q TOOLTIP; then
            balloon=$window
            return 0
        fi
    done
    return 1
}

windows_of_monitor() {
    local window
    for window in $(xdotool search --pid "$monitor_pid" 2>/dev/null); do
        xwininfo -id "$window" | awk '/Window id:/ {$1=$2=""; printf "%s", $0} /Map State/ {print "", $3}'
    done
}

# entry_command ADDRESS: the command line of the device's login entry, as command, the way GLib
# reads the entry and splits its Exec for a desktop.
entry_command() {
    local entry="$XDG_CONFIG_HOME/autostart/orvane-monitor-$1.desktop"
    [[ -f $entry ]] || fail "--enable wrote no login entry for $1"
    mapfile -t command < <(probe desktop-exec "$entry")
    ((${#command[@]})) || fail "GLib starts nothing from $entry: $(cat "$entry")"
}

# --- the session ---------------------------------------------------------------------------

start_xvfb
start_window_manager
start_tray
# The pointer stays away from the label, whose tooltip would cover it.
xdotool mousemove 0 0
start_device

# Switched on as the README tells users, for two devices; each login entry is started the way a
# desktop starts it. The second device's monitor runs on the offscreen platform and is known by
# the device's name in its trace.
"$stage/bin/orvane-monitor-autostart" --enable "$device_address" >/dev/null
"$stage/bin/orvane-monitor-autostart" --enable "$second_address" >/dev/null
listed=$("$stage/bin/orvane-monitor-autostart" --list)
[[ $listed == "$device_address"$'\n'"$second_address" ]] || fail "--list: $listed"
mkfifo "$e2e_tmp/second.in"
# Opened for reading and writing, the fifo never ends: the device runs until it is ended.
"$stage/bin/orvane-simdevice" --address "$second_address" --name "$second_name" \
    <>"$e2e_tmp/second.in" >"$e2e_tmp/second-device.out" 2>&1 7>&- &
remember_pid $!
wait_until 5 grep -q "listening on $second_address" "$e2e_tmp/second-device.out" ||
    fail "second device did not start: $(cat "$e2e_tmp/second-device.out")"
entry_command "$second_address"
QT_QPA_PLATFORM=offscreen "${command[@]}" >/dev/null 2>"$e2e_tmp/second.err" 7>&- &
second_monitor=$!
remember_pid "$second_monitor"
wait_until 15 grep -qF "title: $second_name |" "$e2e_tmp/second.err" ||
    fail "no monitor for $second_address from its entry: $(cat "$e2e_tmp/second.err")"
kill "$second_monitor"
wait_for_exit "$second_monitor" 10
note "the login entry of $second_address started its monitor for that device"

entry_command "$device_address"
start_monitor "${command[@]}"

wait_until 15 find_main_window || fail "no monitor window: $(cat "$e2e_tmp/monitor.err")"
wait_until 10 find_tray_icon || fail "the tray icon was not embedded in the tray"
note "monitor window $main_window, tray icon $tray_icon"
go_through_states 127.0.0.1

press_key_in "$main_window" Escape
wait_for_exit "$monitor_pid" 15
((exit_code == 0)) || fail "Escape ended the program with $exit_code"
grep -q '^pos=@Point(' "$settings" || fail "no pos in the settings: $(cat "$settings")"
grep -q '^StateChangedMessage=true$' "$settings" || fail "no StateChangedMessage: $(cat "$settings")"
saved_pos=$(sed -n 's/^pos=@Point(\([-0-9]*\) \([-0-9]*\))$/\1 \2/p' "$settings")
[[ $saved_pos == "$frame_x $frame_y" ]] ||
    fail "saved position $saved_pos, but the window stood at $frame_x $frame_y"
note "Escape: exit code 0, settings hold pos ($saved_pos) and StateChangedMessage"

montage_states "$output/states.png"

# Started again by hand: the window comes back where it was, and a reply without "#" is fatal.
device_command free
start_monitor "$stage/bin/orvane-monitor" "$device_address"
wait_until 15 find_main_window || fail "no monitor window in the second run"
read -r x y _ _ < <(geometry_of "$main_window")
read -r left _ top _ < <(frame_extents_of "$main_window")
# Reported at the end, so that the checks below still run.
position_fault=
[[ "$((x - left)) $((y - top))" == "$saved_pos" ]] ||
    position_fault="second run at $((x - left)) $((y - top)), not at the saved $saved_pos"
device_command nohash
wait_until 25 find_box "Error getting state" || fail "no error box after a reply without #"
read -r bx by bw bh < <(geometry_of "$box")
screenshot_area $((bx - 12)) $((by - 30)) $((bw + 24)) $((bh + 42)) "$output/error-box.png"
press_key_in "$box" Return
wait_for_exit "$monitor_pid" 15
((exit_code == 2)) || fail "the fatal error ended the program with $exit_code, not 2"
note "reply without #: error box, Return, exit code 2"

# The first query fails already: the box comes before any window, and the program ends with 2;
# the window was never shown, so the position saved before stays.
pos_before=$(grep '^pos=' "$settings")
start_monitor "$stage/bin/orvane-monitor" "$device_address"
wait_until 15 find_box "Error getting state" || fail "no error box when the first query fails"
! find_main_window || fail "the monitor window is shown although the first query failed"
press_key_in "$box" Return
wait_for_exit "$monitor_pid" 15
((exit_code == 2)) || fail "a failing first query ended the program with $exit_code, not 2"
grep -qxF "$pos_before" "$settings" ||
    fail "the saved position was lost: $(cat "$settings")"
note "failing first query: error box without window, exit code 2"

[[ -z $position_fault ]] || fail "$position_fault"
echo "desktop session: all checks passed; screenshots in $output"
