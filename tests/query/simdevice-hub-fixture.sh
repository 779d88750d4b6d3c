#!/bin/sh
# Starts orvane-simdevice-hub in the background for the Windows build of the network-layer tests,
# or stops it again: CTest runs this as the set-up and clean-up of the tests that need a device.
# usage: simdevice-hub-fixture.sh start HUB_PROGRAM STATE_DIR
#        simdevice-hub-fixture.sh stop STATE_DIR
set -eu
action=$1
if [ "$action" = start ]; then
    hub=$2 dir=$3
else
    dir=$2
fi
pidfile=$dir/simdevice-hub.pid
log=$dir/simdevice-hub.log

stop_hub() {
    if [ -f "$pidfile" ]; then
        pid=$(cat "$pidfile")
        kill "$pid" 2>/dev/null || true
        rm -f "$pidfile"
    fi
}

case $action in
start)
    mkdir -p "$dir"
    stop_hub
    # Its output goes to a file: CTest would otherwise wait for the pipe it inherited.
    "$hub" --idle-exit 300 </dev/null >"$log" 2>&1 &
    echo $! >"$pidfile"
    tries=0
    until grep -q "listening on" "$log" 2>/dev/null; do
        if ! kill -0 "$(cat "$pidfile")" 2>/dev/null || [ $tries -ge 100 ]; then
            echo "orvane-simdevice-hub did not start:" >&2
            cat "$log" >&2
            stop_hub
            exit 1
        fi
        tries=$((tries + 1))
        sleep 0.05
    done
    cat "$log"
    ;;
stop)
    stop_hub
    ;;
*)
    echo "usage: $0 start HUB_PROGRAM STATE_DIR | stop STATE_DIR" >&2
    exit 2
    ;;
esac
