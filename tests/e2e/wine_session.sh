#!/usr/bin/env bash
# The installed Windows program under wine on a real X server with a window manager and an XEmbed
# system tray, into which wine docks the program's tray icon: driven as a user would and checked
# from outside as desktop_session.sh checks the Linux program (placement, stacking, colours of the
# label and the tray icon, balloons, Escape, the fatal error box), and its settings read from the
# registry of a wine prefix of the test's own with wine's reg: as REG_SZ, written on the way out,
# and values stored there beforehand read back and kept. orvane-check.exe answers as well.
#
# usage: wine_session.sh STAGE OUTPUT SIMDEVICE
#   STAGE      the installed Windows build (cmake --install --prefix STAGE)
#   OUTPUT     folder for the screenshots; states-windows.png there is the picture of the states
#   SIMDEVICE  a native orvane-simdevice (under wine a device would take port 9758 on all of
#              loopback)
source "$(dirname "$0")/lib.sh"
source "$e2e_dir/tray_states.sh"
# The program and the check look up the holders the device names, through wine's resolver, which
# asks the machine's: with a resolver of the session's own, which knows the other PC, and this
# PC's addresses, which wine tells its programs.
{ cat /etc/hosts; echo "$other_pc labpc-07"; } >"$scratch/hosts"
script_with_own_resolver "$scratch/hosts" local "$0" "$@"

set_up_scenario orvane-monitor.exe "$@"
simdevice=${3:?usage: wine_session.sh STAGE OUTPUT SIMDEVICE}
readonly device_address=127.0.2.50
readonly device_name="captureORVANE E2E"
readonly settings_key='HKCU\Software\Halvorn GmbH\Orvane Monitor'

require_tools Xvfb jwm trayer xdotool xprop xwininfo
require_magick_tools import convert montage
rm -rf "${output:?}"/*

# check_saved_settings POS SWITCH: what the program left in the registry, as "@Point(x y)" and
# "true"/"false" (nothing: no value), both REG_SZ as QSettings has always written them.
check_saved_settings() {
    local pos switch saved_pos
    pos=$(registry_value "$settings_key" pos)
    switch=$(registry_value "$settings_key" StateChangedMessage)
    [[ $pos =~ ^REG_SZ\ +@Point\(([-0-9]+)\ ([-0-9]+)\)$ ]] || fail "pos in the registry: '$pos'"
    saved_pos="${BASH_REMATCH[1]} ${BASH_REMATCH[2]}"
    [[ $saved_pos == "$1" ]] || fail "saved position $saved_pos, but the window stood at $1"
    [[ $switch =~ ^${2:+REG_SZ\ +$2}$ ]] || fail "StateChangedMessage in the registry: '$switch'"
}

# --- the session ---------------------------------------------------------------------------

start_x_desktop
start_tray
start_wine
wine_qt_messages_to_stderr
start_device "$simdevice" "$device_address" "$device_name"
# The addresses that wine gives Windows programs as this PC's; 127.0.0.1 is not among them.
this_pc=$(wine_run ipconfig | tr -d '\r' |
    awk -F': ' '/IPv4 address/ && $2 !~ /^127\./ {print $2; exit}')
this_pc=${this_pc:-127.0.0.1}

launch_monitor "" "$wine" "$stage/bin/orvane-monitor.exe" "$device_address"
watch_monitor monitor wine
go_through_states monitor "$this_pc"
grep -q "tooltip: $device_name ($device_address) used by another PC: labpc-07 ($other_pc)" \
    "$monitor_trace" || fail "no tooltip named the holder: $(grep -m 3 'another PC' "$monitor_trace")"
note "the holder in the tooltip: $(grep -o 'used by another PC: labpc-07[^|]*' "$monitor_trace" | tail -n 1)"

key_ends "$main_window" Escape "$monitor_pid" 0 Escape
check_saved_settings "$position" ""
note "Escape: exit code 0, the registry holds pos (@Point($position)) as REG_SZ and no balloon" \
    "switch, which nobody switched"
montage_states "$output" "$output/states-windows.png"

# Values stored beforehand, in the form QSettings writes: the window comes up where pos says,
# the switched-off balloons stay off, and both are kept when a reply without "#" ends the
# program through the error box.
read -r area_x area_y _ _ < <(work_area)
stored_pos="$((area_x + 100)) $((area_y + 120))"
registry_set "$settings_key" pos REG_SZ "@Point($stored_pos)"
registry_set "$settings_key" StateChangedMessage REG_SZ false
# The first run left this device a place of its own, which comes before pos: without it, the
# device's window goes where pos says.
wine_run reg delete "$settings_key" /v "pos-$device_address" /f >/dev/null ||
    fail "the first run left no pos-$device_address"
device_command "$device_address" free
launch_monitor "in the second run" "$wine" "$stage/bin/orvane-monitor.exe" "$device_address"
watch_monitor monitor wine
comes_back_at "$main_window" "$stored_pos" "second run"
# One monitor per device: a second start, the address written another way, hands over and ends.
hands_over 30 "$wine" "$stage/bin/orvane-monitor.exe" "${device_address/.2./.02.}"
note "a second start for ${device_address/.2./.02.} ended with 0, without a poll of its own"
device_command "$device_address" "held $other_pc"
wait_until 25 tray_has_colour "$tray_icon" "#FFFF00" || fail "the tray icon never turned yellow"
# The poll that turned the icon yellow asked for no balloon, and none comes: wine's explorer
# shows one 2 s after it is asked for.
! grep -qF "balloon:" "$monitor_trace" && ! wait_until 5 balloon_of monitor >/dev/null ||
    fail "a balloon although StateChangedMessage was stored as false"
device_command "$device_address" nohash
answer_box 25 "$monitor_pid" "Error getting state" 2 "a reply without #" \
    "$output/error-box-windows.png"
check_saved_settings "$stored_pos" false
note "stored pos and StateChangedMessage=false read back and kept; reply without #: error box," \
    "exit code 2"

device_command "$device_address" free
check_answers 0 "ORVANE OK*" wine_run "$stage/bin/orvane-check.exe" -H "$device_address"
device_command "$device_address" "held $other_pc"
check_answers 1 "ORVANE WARNING*" wine_run "$stage/bin/orvane-check.exe" -H "$device_address"
check_answers 1 "{*" wine_run "$stage/bin/orvane-check.exe" -H "$device_address" --json
note "orvane-check.exe: OK for a free device, WARNING for one held by another PC"

# At 150 % (LogPixels 144, which wine's explorer reads when it starts) the docked icon is the
# icon's own 24 pixel picture, which Windows asks for at that scale: the silhouette whole, at its
# own size and centred, not the 16 pixel one blown up; and the window follows the scale.
explorer_gone() {
    [[ $(explorer_pid) == 0 ]]
}
registry_set 'HKCU\Control Panel\Desktop' LogPixels REG_DWORD 144
"$wineserver" -k
wait_until 10 explorer_gone || fail "wine's explorer outlived its server"
start_process "$wineserver" -f -p </dev/null >>"$scratch/wineserver.log" 2>&1
device_command "$device_address" free
launch_monitor "at 150 %" "$wine" "$stage/bin/orvane-monitor.exe" "$device_address"
watch_monitor monitor wine
# trayer gives the docked window its room only a while after it came.
whole_silhouette_in() {
    screenshot_window "$1" "$2" 2>/dev/null && (($(count_colour "$2" 000000) == 102))
}
wait_until 10 whole_silhouette_in "$tray_icon" "$output/tray-windows-150.png" || true
read -r width height < <(picture_size "$output/tray-windows-150.png")
# The black face of the silhouette: 14 by 8 pixels, 5 and 11 pixels into a 24 pixel icon that
# sits in the middle of wine's window (trayer's 22 pixel panel cuts a row off top and bottom).
face="14x8+$(((width - 24) / 2 + 5))+$(((height - 24) / 2 + 11))"
found=$("$(magick_tool convert)" "$output/tray-windows-150.png" -fill white +opaque black -negate \
    -trim -format '%wx%h%X%Y' info:)
black=$(count_colour "$output/tray-windows-150.png" 000000)
# The colour fills the whole 24 pixel square, as far as the window shows it.
square="24x$((height < 24 ? height : 24))+$(((width - 24) / 2))+$((height < 24 ? 0 : (height - 24) / 2))"
coloured=$("$(magick_tool convert)" "$output/tray-windows-150.png" -fill black +opaque '#00FF00' \
    -trim -format '%wx%h%X%Y' info:)
[[ $found == "$face" && $coloured == "$square" ]] && ((black == 102)) ||
    fail "tray icon at 150 % in ${width}x${height}: black face $found with $black pixels," \
        "colour $coloured, not $face with 102 and $square"
read -r _ _ window_width window_height < <(geometry_of "$main_window")
((window_width >= 180 && window_height >= 30)) ||
    fail "the window at 150 % is ${window_width}x${window_height}, less than 120x20 scaled"
key_ends "$main_window" Escape "$monitor_pid" 0 "Escape at 150 %"
note "150 %: the docked icon is the 24 pixel picture, its silhouette whole and centred;" \
    "the window ${window_width}x${window_height}"

echo "wine session: all checks passed; screenshots in $output"
