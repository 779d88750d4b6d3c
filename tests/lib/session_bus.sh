# A D-Bus session bus of the script's own, and the programs on it (part of tests/lib/common.sh).
# shellcheck shell=bash

# Starts a session bus that starts no service by itself, so that every program on it is one this
# script started (and ends); sets DBUS_SESSION_BUS_ADDRESS.
start_session_bus() {
    start_process dbus-daemon --config-file="$lib_dir/session_bus.conf" \
        --address="unix:dir=$scratch" --nofork --print-address=3 \
        3>"$scratch/bus.address" 2>"$scratch/bus.log"
    wait_until 10 test -s "$scratch/bus.address" ||
        fail "the session bus did not start: $(cat "$scratch/bus.log")"
    export DBUS_SESSION_BUS_ADDRESS
    DBUS_SESSION_BUS_ADDRESS=$(head -n 1 "$scratch/bus.address")
}

# start_on_bus NAME COMMAND...: starts a program and waits until it owns NAME on the session bus.
start_on_bus() {
    local name=$1 log="$scratch/${2##*/}.log"
    shift
    start_process "$@" >"$log" 2>&1
    wait_until 15 bus_has_name "$name" || fail "$1 did not take $name on the bus: $(cat "$log")"
}

bus_has_name() {
    dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
        org.freedesktop.DBus.NameHasOwner "string:$1" 2>/dev/null | grep -q 'boolean true'
}
