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

stage=${1:?usage: wine_session.sh STAGE OUTPUT SIMDEVICE}
output=${2:?usage: wine_session.sh STAGE OUTPUT SIMDEVICE}
simdevice_program=${3:?usage: wine_session.sh STAGE OUTPUT SIMDEVICE}
readonly device_address=127.0.2.50
readonly device_name="captureORVANE E2E"
readonly other_pc=198.51.100.7 # only text in the reply; nothing is ever sent there
readonly settings_key='HKCU\Software\Halvorn GmbH\Orvane Monitor'
# Wine's tray keeps a balloon 10 to 30 s, whatever time the program asks for, as Windows did
# before Vista; it shows it 2 s after it was asked for.
readonly balloon_seconds=15

require_tools Xvfb jwm trayer xdotool xprop xwininfo
for tool in import convert montage; do
    [[ -x $(magick_tool "$tool") ]] || require_tools "$tool"
done
[[ -f $stage/bin/orvane-monitor.exe ]] || fail "no installed program in $stage (run the stage test)"
rm -rf "$output"
mkdir -p "$output"
source "$e2e_dir/wine.sh"

# --- the program's windows, and wine's ------------------------------------------------------

# The window that trayer has taken into its panel: wine's explorer shows the program's icon.
find_tray_icon() {
    find_tray_icon_of "$(explorer_pid)"
}

# A balloon: wine's explorer shows it for the program, beside the tray and outside it.
find_balloon() {
    local panel window
    panel=$(tray_panel) || return 1
    for window in $(xdotool search --onlyvisible --pid "$(explorer_pid)" 2>/dev/null); do
        if ! is_inside "$window" "$panel"; then
            balloon=$window
            return 0
        fi
    done
    return 1
}

explorer_pid() {
    local pid
    for pid in $(pgrep -f -x 'C:\\windows\\system32\\explorer.exe /desktop'); do
        if in_prefix "$pid"; then
            echo "$pid"
            return
        fi
    done
    echo 0
}

windows_of_monitor() {
    local window
    for window in $(xdotool search --pid "$monitor_pid" 2>/dev/null) \
        $(xdotool search --pid "$(explorer_pid)" 2>/dev/null); do
        xwininfo -id "$window" | awk '/Window id:/ {$1=$2=""; printf "%s", $0} /Map State/ {print "", $3}'
    done
}

# registry_value NAME: "TYPE DATA" of a value of the monitor's key, or nothing.
registry_value() {
    wine_run reg query "$settings_key" /v "$1" 2>/dev/null | tr -d '\r' |
        awk -v name="$1" '$1 == name {$1 = ""; sub(/^ +/, ""); print}'
}

store_setting() {
    wine_run reg add "$settings_key" /v "$1" /t REG_SZ /d "$2" /f >/dev/null ||
        fail "reg add $1 failed"
}

# check_saved_settings POS SWITCH: what the program left in the registry, as "@Point(x y)" and
# "true"/"false", both REG_SZ as QSettings has always written them.
check_saved_settings() {
    local pos switch
    pos=$(registry_value pos) switch=$(registry_value StateChangedMessage)
    [[ $pos =~ ^REG_SZ\ +@Point\(([-0-9]+)\ ([-0-9]+)\)$ ]] || fail "pos in the registry: '$pos'"
    saved_pos="${BASH_REMATCH[1]} ${BASH_REMATCH[2]}"
    [[ $saved_pos == "$1" ]] || fail "saved position $saved_pos, but the window stood at $1"
    [[ $switch =~ ^REG_SZ\ +$2$ ]] || fail "StateChangedMessage in the registry: '$switch'"
}

# check_program EXIT_CODE START ARGUMENT...: orvane-check.exe's exit code and status line.
check_program() {
    local expected_code=$1 expected_start=$2 status=0 line
    shift 2
    wine_run "$stage/bin/orvane-check.exe" "$@" </dev/null >"$e2e_tmp/check.out" 2>&1 || status=$?
    line=$(head -n 1 "$e2e_tmp/check.out" | tr -d '\r')
    ((status == expected_code)) || fail "orvane-check.exe $*: exit code $status ($line)"
    [[ $line == "$expected_start"* ]] || fail "orvane-check.exe $*: '$line'"
}

# --- the session ---------------------------------------------------------------------------

start_xvfb
start_window_manager
start_tray
xdotool mousemove 0 0
start_wine
start_device
# The addresses that wine gives Windows programs as this PC's; 127.0.0.1 is not among them.
this_pc=$(wine_run ipconfig | tr -d '\r' |
    awk -F': ' '/IPv4 address/ && $2 !~ /^127\./ {print $2; exit}')
this_pc=${this_pc:-127.0.0.1}

start_monitor "$wine" "$stage/bin/orvane-monitor.exe" "$device_address"
wait_until 30 find_main_window || fail "no monitor window: $(cat "$e2e_tmp/monitor.err")"
wait_until 10 find_tray_icon || fail "wine did not dock the tray icon: $(windows_of_monitor)"
note "monitor window $main_window, tray icon $tray_icon (wine's explorer)"
go_through_states "$this_pc"

press_key_in "$main_window" Escape
wait_for_exit "$monitor_pid" 15
((exit_code == 0)) || fail "Escape ended the program with $exit_code"
check_saved_settings "$frame_x $frame_y" true
note "Escape: exit code 0, the registry holds pos (@Point($saved_pos)) and StateChangedMessage" \
    "as REG_SZ"
montage_states "$output/states-windows.png"

# Values stored beforehand, in the form QSettings writes: the window comes up where pos says,
# the switched-off balloons stay off, and both are kept when a reply without "#" ends the
# program through the error box.
read -r area_x area_y _ _ < <(work_area)
stored_pos="$((area_x + 100)) $((area_y + 120))"
store_setting pos "@Point($stored_pos)"
# The first run kept its place for this device as well; without it the device takes pos.
wine_run reg delete "$settings_key" /v "pos-$device_address" /f >/dev/null ||
    fail "the first run kept no place for $device_address"
store_setting StateChangedMessage false
device_command free
start_monitor "$wine" "$stage/bin/orvane-monitor.exe" "$device_address"
wait_until 30 find_main_window || fail "no monitor window in the second run"
wait_until 10 find_tray_icon || fail "no tray icon in the second run: $(windows_of_monitor)"
read -r x y _ _ < <(geometry_of "$main_window")
read -r left _ top _ < <(frame_extents_of "$main_window")
[[ "$((x - left)) $((y - top))" == "$stored_pos" ]] ||
    fail "second run at $((x - left)) $((y - top)), not at the stored $stored_pos"
device_command "held $other_pc"
wait_until 25 tray_has_colour "#FFFF00" || fail "the tray icon never turned yellow"
sleep 1
! find_balloon || fail "a balloon although StateChangedMessage was stored as false"
device_command nohash
wait_until 25 find_box "Error getting state" || fail "no error box after a reply without #"
read -r bx by bw bh < <(geometry_of "$box")
screenshot_area $((bx - 12)) $((by - 30)) $((bw + 24)) $((bh + 42)) "$output/error-box-windows.png"
press_key_in "$box" Return
wait_for_exit "$monitor_pid" 15
((exit_code == 2)) || fail "the fatal error ended the program with $exit_code, not 2"
check_saved_settings "$stored_pos" false
note "stored pos and StateChangedMessage=false read back and kept; reply without #: error box," \
    "exit code 2"

device_command free
check_program 0 "ORVANE OK" -H "$device_address"
device_command "held $other_pc"
check_program 1 "ORVANE WARNING" -H "$device_address"
check_program 1 "{" -H "$device_address" --json
note "orvane-check.exe: OK for a free device, WARNING for one held by another PC"

echo "wine session: all checks passed; screenshots in $output"
