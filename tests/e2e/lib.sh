# Shared by the end-to-end scripts: the tests' shell library (tests/lib/common.sh: processes,
# waits, failures, the simulated device, the X desktop, pictures, the session bus, wine) and the
# monitor as these scripts start and watch it. Source it; it sets -euo pipefail and cleans up
# when the script ends.
# shellcheck shell=bash

e2e_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=../lib/common.sh
source "$e2e_dir/../lib/common.sh" e2e desktop
# shellcheck source=../lib/resolver.sh
source "$lib_dir/resolver.sh"

# Another PC's address: only text in the device's reply ("held ..."); nothing is ever sent there.
readonly other_pc=198.51.100.7
# The monitor's standard error: its trace, with a line for each poll and each balloon, as these
# rules ask (wine's programs get them from the registry: wine_qt_messages_to_stderr).
readonly monitor_trace=$scratch/monitor.err
export QT_LOGGING_RULES="orvane.monitor.info=true"
# The application's id, which names its menu entry, metainfo and icons, and the icons' sizes.
readonly app_id=de.halvorn.OrvaneMonitor
readonly icon_sizes=(16 22 24 32 48 64 128 256)

# set_up_scenario PROGRAM "$@": a desktop scenario with the arguments STAGE OUTPUT, as stage and
# output, of which STAGE must hold bin/PROGRAM; the output folder is made. Its user has a home of
# the scenario's own, and none of the caller's session bus, Wayland display or Qt platform.
set_up_scenario() {
    local usage="usage: ${0##*/} STAGE OUTPUT ..."
    stage=${2:?$usage}
    output=${3:?$usage}
    [[ -x $stage/bin/$1 ]] || fail "no installed program in $stage (run the stage test)"
    mkdir -p "$output"
    use_private_home
    unset DBUS_SESSION_BUS_ADDRESS QT_QPA_PLATFORM WAYLAND_DISPLAY
}

# start_monitor COMMAND...: starts the monitor, or what starts it, with its trace in
# $monitor_trace, emptied before it starts; its pid is in $! afterwards.
start_monitor() {
    start_process "$@" >"$scratch/monitor.out" 2>"$monitor_trace"
}

# launch_monitor WHAT COMMAND...: start_monitor, then the monitor's window titled $device_name,
# within 30 s under wine and 15 s otherwise; sets monitor_pid and main_window. WHAT names the run
# in a failure ("in the second run").
launch_monitor() {
    local what=$1 seconds=15
    shift
    [[ $1 != "${wine-}" ]] || seconds=30
    start_monitor "$@"
    monitor_pid=$!
    main_window=$(wait_for "$seconds" visible_window "$monitor_pid" "$device_name") ||
        fail "no monitor window${what:+ $what}: $(cat "$monitor_trace")"
}

window_shown() {
    visible_window "$monitor_pid" "$device_name" >/dev/null
}

window_hidden() {
    ! window_shown
}

# key_ends WINDOW KEY PID CODE WHAT: the key in the window ends the program PID with CODE.
key_ends() {
    press_key_in "$1" "$2"
    expect_exit "$3" 15 "$4" "$5"
}

# answer_box SECONDS PID TITLE CODE WHAT [PICTURE]: the program shows a box of that title within
# SECONDS (kept as PICTURE, with its frame, where given), which Return closes, and it ends with
# CODE.
answer_box() {
    local box
    box=$(wait_for "$1" visible_window "$2" "$3") || fail "$5: no box '$3'"
    [[ -z ${6-} ]] || screenshot_frame "$box" "$6"
    key_ends "$box" Return "$2" "$4" "$5"
}

# hands_over SECONDS COMMAND...: a start for a device that a monitor watches already ends with 0
# within SECONDS, without a poll of its own.
hands_over() {
    local seconds=$1
    shift
    start_process "$@" >/dev/null 2>"$scratch/handover.err"
    expect_exit $! "$seconds" 0 "a second start for the device ($*)"
    ! grep -q 'state:' "$scratch/handover.err" || fail "the second start polled the device itself"
}

# check_answers CODE LINE COMMAND...: orvane-check, run as COMMAND, ends with CODE and its first
# line matches the pattern LINE; its output stays in $scratch/check.out, its first line in
# check_line.
check_answers() {
    local code=$1 pattern=$2 status=0
    shift 2
    "$@" </dev/null >"$scratch/check.out" 2>&1 || status=$?
    check_line=$(head -n 1 "$scratch/check.out" | tr -d '\r')
    # shellcheck disable=SC2053 # a pattern
    [[ $status == "$code" && $check_line == $pattern ]] ||
        fail "$*: exit code $status, not $code; output: $(od -c "$scratch/check.out" | head -n 8)"
}

# Where the monitor keeps its settings, in the private home (use_private_home).
monitor_settings() {
    echo "$XDG_CONFIG_HOME/Halvorn GmbH.conf"
}

# label_has_colour WINDOW COLOUR: the monitor's window shows the state colour.
label_has_colour() {
    screenshot_window "$1" "$scratch/label.png" 2>/dev/null &&
        [[ $(main_colour "$scratch/label.png") == "$2" ]]
}

# shows_icon PICTURE COLOUR: the picture holds a tray icon of 16 pixels or more in the state
# colour: about 80 pixels of colour around the silhouette, 102 black ones on its face. Sets around
# and silhouette, for a failure message.
shows_icon() {
    around=$(count_colour "$1" "$2")
    silhouette=$(count_colour "$1" 000000)
    ((around >= 60 && silhouette >= 90))
}

# Reads what the desktop shows of the program (tests/e2e/desktop_probe.py), with the system's
# Python, which has the D-Bus and AT-SPI bindings of the desktop package group.
probe() {
    /usr/bin/python3 "$e2e_dir/desktop_probe.py" "$@"
}
