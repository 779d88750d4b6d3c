#!/usr/bin/env bash
# Installs what is missing, builds the monitor and runs it against a simulated device on
# 127.0.0.1. The simulated device reads commands from this terminal (type "help" and Enter);
# end of input (Ctrl+D) stops both, and so does quitting the monitor.
# usage: scripts/run.sh
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh build
cmake -S . -B build -G Ninja -DORVANE_BUILD_TESTS=OFF >/dev/null
cmake --build build --target orvane-monitor orvane-simdevice

if [[ -z ${DISPLAY:-} && -z ${WAYLAND_DISPLAY:-} && -z ${QT_QPA_PLATFORM:-} ]]; then
    echo "run: no display found; the monitor runs on Qt's offscreen platform and prints what it"
    echo "     would show: its state and balloons on every poll."
    export QT_QPA_PLATFORM=offscreen
    export QT_LOGGING_RULES="orvane.monitor.info=true"
fi

pids=()
# Quiet as a whole: bash may remark on a process that wait -n has already reaped.
trap '{ kill "${pids[@]}" || true; } 2>/dev/null' EXIT

# The device reads this terminal; a background job would otherwise get /dev/null.
build/simdevice/orvane-simdevice --address 127.0.0.1 --name "captureORVANE demo" <&0 &
pids+=($!)
sleep 0.5
build/app/orvane-monitor 127.0.0.1 &
pids+=($!)

status=0
wait -n || status=$? # whichever of the two ends first
echo "run: finished (exit code $status)"
exit "$status"
