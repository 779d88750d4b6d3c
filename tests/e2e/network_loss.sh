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
[[ $system == linux ]] || simdevice_program=${3:?$usage}
readonly device_address=127.0.0.1 # the namespace's own loopback, no other test's
readonly device_name="captureORVANE offline"
readonly send_line="OrvaneMonitor::dwGetOrvaneState: Error broadcasting to the clients"

# Started again inside a namespace of its own, which ends with the script.
if [[ -z ${ORVANE_E2E_NAMESPACE:-} ]]; then
    require_tools unshare ip
    if [[ $(id -u) -ne 0 ]]; then
        echo "SKIP: a network namespace of the test's own needs root"
        exit "$SKIP"
    fi
    unshare --net true 2>/dev/null || {
        echo "SKIP: this system refuses a new network namespace (unshare --net)"
        exit "$SKIP"
    }
    trap - EXIT
    rm -rf "$e2e_tmp"
    exec unshare --net env ORVANE_E2E_NAMESPACE=1 "$0" "$@"
fi
[[ $(ip -o link show | awk -F': ' '{print $2}') == lo ]] ||
    fail "the namespace holds other interfaces than loopback: $(ip -o link show)"
ip -o link show lo | grep -q 'state DOWN' || fail "loopback is not down at first"

export HOME=$e2e_tmp/home
export XDG_CONFIG_HOME=$HOME/.config XDG_STATE_HOME=$HOME/.local/state XDG_RUNTIME_DIR=$e2e_tmp
mkdir -p "$HOME"
unset DBUS_SESSION_BUS_ADDRESS WAYLAND_DISPLAY DISPLAY

if [[ $system == linux ]]; then
    [[ -x $stage/bin/orvane-monitor ]] || fail "no installed program in $stage"
    export QT_QPA_PLATFORM=offscreen QT_LOGGING_RULES="orvane.monitor.info=true"
    monitor=("$stage/bin/orvane-monitor" "$device_address")
    check=("$stage/bin/orvane-check")
    log_file=$XDG_STATE_HOME/hvcxdrv_debug.txt
else
    [[ -f $stage/bin/orvane-monitor.exe ]] || fail "no installed program in $stage"
    source "$e2e_dir/wine.sh"
    start_wine
    # Taken by a folder, which not even root can open as the log; as a standard user's c: root.
    mkdir "$WINEPREFIX/drive_c/hvcxdrv_debug.txt"
    monitor=("$wine" "$stage/bin/orvane-monitor.exe" "$device_address")
    check=(wine_run "$stage/bin/orvane-check.exe")
    log_file=$(wine_run cmd /c echo '%LOCALAPPDATA%' </dev/null | tr -d '\r')
    log_file=$(wine_run winepath -u "$log_file\\Orvane Monitor\\hvcxdrv_debug.txt" </dev/null)
fi

# check_without_network: the check's exit code and status line while loopback is down.
check_without_network() {
    local status=0 line
    "${check[@]}" -H "$device_address" </dev/null >"$e2e_tmp/check.out" 2>&1 || status=$?
    line=$(head -n 1 "$e2e_tmp/check.out" | tr -d '\r')
    ((status == 2)) || fail "orvane-check without a network: exit code $status ($line)"
    [[ $line == "ORVANE CRITICAL - the network to $device_address is unreachable" ]] ||
        fail "orvane-check without a network: '$line'"
    grep -q "$send_line" "$e2e_tmp/check.out" || fail "no send line after the status line"
    note "orvane-check: CRITICAL, '$line', exit code 2"
}

polls_seen() {
    grep -c '^orvane.monitor: state:' "$e2e_tmp/monitor.err" || true
}

polls_at_least() {
    (($(polls_seen) >= $1))
}

check_without_network
start_monitor "${monitor[@]}"
wait_until 30 grep -q '^orvane.monitor: state: 0 ' "$e2e_tmp/monitor.err" ||
    fail "the monitor showed no state: $(cat "$e2e_tmp/monitor.out" "$e2e_tmp/monitor.err")"
# A second poll without a network: the monitor stays up, red, and says so every time.
wait_until 15 polls_at_least 2 || fail "no second poll: $(cat "$e2e_tmp/monitor.err")"
! process_ended "$monitor_pid" || fail "the monitor ended without a network"
! grep -q '^orvane.monitor: state: [1-3] ' "$e2e_tmp/monitor.err" || fail "a state other than red"
(($(grep -c "$send_line" "$e2e_tmp/monitor.out") >= 2)) ||
    fail "the send line is not on standard output at each poll: $(cat "$e2e_tmp/monitor.out")"
grep -q "^[0-9]\{5\}\.[0-9]\{3\} s: $send_line" "$log_file" ||
    fail "the send line is not in the log $log_file"
note "without a network: red, still running, the send line on standard output and in $log_file"

ip link set lo up
start_device
before=$(polls_seen)
wait_until 15 grep -q '^orvane.monitor: state: 3 ' "$e2e_tmp/monitor.err" ||
    fail "the device's state never showed: $(tail -n 3 "$e2e_tmp/monitor.err")"
(($(polls_seen) - before == 1)) || fail "available only after $(($(polls_seen) - before)) polls"
# The first poll had no answer, so the device goes by the name of a Relay Host for this run.
grep -qF "balloon: $device_name | Relay Host is now available." "$e2e_tmp/monitor.err" ||
    fail "no balloon for the change: $(grep balloon "$e2e_tmp/monitor.err")"
note "network back: available within one poll, with its balloon"
echo "network loss ($system): all checks passed"
