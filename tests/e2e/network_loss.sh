#!/usr/bin/env bash
# The installed monitor and check while this PC has no network, with the kernel's own errors: in
# a network namespace of the test's own, where loopback is the only interface and is down at
# first. The monitor stays up and red, and prints and logs the failed send; once loopback is up
# with a simulated device on 127.0.0.1, the device's state shows within one poll, with its
# balloon. orvane-check says CRITICAL meanwhile. For the Windows build the same under wine, whose
# sockets live in the wineserver, so the server is started inside the namespace too; there the
# log's usual place, c:\hvcxdrv_debug.txt, is taken by a folder, and the lines go to the user's
# application data instead. No X server is needed: the Linux program runs on Qt's offscreen
# platform, the Windows one on wine without a display.
#
# usage: network_loss.sh linux STAGE
#        network_loss.sh windows STAGE SIMDEVICE   (SIMDEVICE: a native orvane-simdevice)
source "$(dirname "$0")/lib.sh"

readonly usage="usage: network_loss.sh linux STAGE | windows STAGE SIMDEVICE"
system=${1:?$usage}
stage=${2:?$usage}
[[ $system == linux || $system == windows ]] || fail "$usage"
simdevice=$stage/bin/orvane-simdevice
[[ $system == linux ]] || simdevice=${3:?$usage}
readonly device_address=127.0.0.1 # the namespace's own loopback, no other test's
readonly device_name="captureORVANE offline"
readonly send_line="OrvaneMonitor::dwGetOrvaneState: Error broadcasting to the clients"

# Started again inside a namespace of its own, which ends with the script.
if [[ -z ${ORVANE_E2E_NAMESPACE:-} ]]; then
    require_tools unshare ip
    [[ $(id -u) -eq 0 ]] || skip "a network namespace of the test's own needs root"
    unshare --net true 2>/dev/null || skip "this system refuses a new network namespace (unshare --net)"
    trap - EXIT
    rm -rf "$scratch"
    exec unshare --net env ORVANE_E2E_NAMESPACE=1 "$0" "$@"
fi
[[ $(ip -o link show | awk -F': ' '{print $2}') == lo ]] ||
    fail "the namespace holds other interfaces than loopback: $(ip -o link show)"
ip -o link show lo | grep -q 'state DOWN' || fail "loopback is not down at first"

use_private_home
use_private_runtime_folder
unset DBUS_SESSION_BUS_ADDRESS WAYLAND_DISPLAY DISPLAY

if [[ $system == linux ]]; then
    [[ -x $stage/bin/orvane-monitor ]] || fail "no installed program in $stage"
    export QT_QPA_PLATFORM=offscreen
    monitor=("$stage/bin/orvane-monitor" "$device_address")
    check=("$stage/bin/orvane-check")
    log_file=$XDG_STATE_HOME/hvcxdrv_debug.txt
else
    [[ -f $stage/bin/orvane-monitor.exe ]] || fail "no installed program in $stage"
    start_wine
    wine_qt_messages_to_stderr
    # Taken by a folder, which not even root can open as the log; as a standard user's c: root.
    mkdir "$WINEPREFIX/drive_c/hvcxdrv_debug.txt"
    monitor=("$wine" "$stage/bin/orvane-monitor.exe" "$device_address")
    check=(wine_run "$stage/bin/orvane-check.exe")
    log_file=$(wine_run cmd /c echo '%LOCALAPPDATA%' </dev/null | tr -d '\r')
    log_file=$(wine_run winepath -u "$log_file\\Orvane Monitor\\hvcxdrv_debug.txt" </dev/null)
fi

polls_seen() {
    grep -c '^orvane.monitor: state:' "$monitor_trace" || true
}

polls_at_least() {
    (($(polls_seen) >= $1))
}

# The check while loopback is down.
check_answers 2 "ORVANE CRITICAL - the network to $device_address is unreachable" \
    "${check[@]}" -H "$device_address"
grep -q "$send_line" "$scratch/check.out" || fail "no send line after the status line"
note "orvane-check: CRITICAL, '$check_line', exit code 2"
# The check writes the same log: what is there from now on is the monitor's.
rm -f "$log_file"
start_monitor "${monitor[@]}"
monitor_pid=$!
wait_until 30 grep -q '^orvane.monitor: state: 0 ' "$monitor_trace" ||
    fail "the monitor showed no state: $(cat "$scratch/monitor.out" "$monitor_trace")"
# A second poll without a network: the monitor stays up, red, and says so every time.
wait_until 15 polls_at_least 2 || fail "no second poll: $(cat "$monitor_trace")"
! process_ended "$monitor_pid" || fail "the monitor ended without a network"
! grep -q '^orvane.monitor: state: [1-3] ' "$monitor_trace" || fail "a state other than red"
(($(grep -c "$send_line" "$scratch/monitor.out") >= 2)) ||
    fail "the send line is not on standard output at each poll: $(cat "$scratch/monitor.out")"
[[ -f $log_file ]] && (($(grep -c "^[0-9]\{5\}\.[0-9]\{3\} s: $send_line" "$log_file") >= 2)) ||
    fail "the send line is not in the log $log_file at each poll"
note "without a network: red, still running, the send line on standard output and in $log_file"

ip link set lo up
start_device "$simdevice" "$device_address" "$device_name"
before=$(polls_seen)
wait_until 15 grep -q '^orvane.monitor: state: 3 ' "$monitor_trace" ||
    fail "the device's state never showed: $(tail -n 3 "$monitor_trace")"
# The first poll that starts with the device there shows it. One sent just before the device was
# there may end after that, without an answer, within the query's time-out.
since=$(grep '^orvane.monitor: state:' "$monitor_trace" | tail -n "+$((before + 1))" | cut -d' ' -f3 |
    tr -d '\n')
[[ $since == 3 || $since == 03 ]] || fail "states since the device is there: $since"
# The first answer, not the silent polls before it, names the kind of device.
grep -qF "balloon: $device_name | captureORVANE is now available." "$monitor_trace" ||
    fail "no balloon for the change: $(grep balloon "$monitor_trace")"
note "network back: available within one poll, with its balloon"
echo "network loss ($system): all checks passed"
