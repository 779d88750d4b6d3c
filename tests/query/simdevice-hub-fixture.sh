#!/bin/sh
# Starts orvane-simdevice-hub in the background for the Windows build of the network-layer tests,
# or stops it again: CTest runs this as the set-up and clean-up of the tests that need a device.
# usage: simdevice-hub-fixture.sh start STATE_DIR HUB_PROGRAM
#        simdevice-hub-fixture.sh stop STATE_DIR
set -eu
action=$1 pidfile=$2/simdevice-hub.pid log=$2/simdevice-hub.log

# A hub left behind by an earlier run ends first.
if [ -f "$pidfile" ]; then
    kill "$(cat "$pidfile")" 2>/dev/null || true
    rm -f "$pidfile"
fi
[ "$action" = start ] || exit 0

mkdir -p "$2"
# Its output goes to a file: CTest would otherwise wait for the pipe it inherited.
"$3" --idle-exit 300 </dev/null >"$log" 2>&1 &
echo $! >"$pidfile"
tries=0
until grep -q "listening on" "$log"; do
    if ! kill -0 "$(cat "$pidfile")" 2>/dev/null || [ $tries -ge 100 ]; then
        echo "orvane-simdevice-hub did not start:" >&2
        cat "$log" >&2
        kill "$(cat "$pidfile")" 2>/dev/null || true
        exit 1
    fi
    tries=$((tries + 1))
    sleep 0.05
done
cat "$log"
