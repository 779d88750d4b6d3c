#!/usr/bin/env bash
# Installs what is missing, builds the monitor and runs it against a simulated device on
# 127.0.0.1. The simulated device reads commands from this terminal (type "help" and Enter);
# end of input (Ctrl+D) stops both, and so does quitting the monitor.
# usage: scripts/run.sh
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh build
# A build directory of the test command keeps its tests; a new one is made without them.
configure=(-G Ninja -DORVANE_BUILD_TESTS=OFF)
[[ ! -f build/CMakeCache.txt ]] || configure=()
cmake -S . -B build "${configure[@]}" >/dev/null
cmake --build build --target orvane-monitor orvane-simdevice

if [[ -z ${DISPLAY:-} && -z ${WAYLAND_DISPLAY:-} && -z ${QT_QPA_PLATFORM:-} ]]; then
    echo "run: no display found; the monitor runs on Qt's offscreen platform and prints what it"
    echo "     would show: its state and balloons on every poll."
    export QT_QPA_PLATFORM=offscreen
    export QT_LOGGING_RULES="orvane.monitor.info=true"
fi

# Outside a desktop session (over ssh, as root in a container) nobody has made the user's runtime
# folder; the toolkit would say so and make one itself.
runtime_made=
if [[ -z ${XDG_RUNTIME_DIR:-} ]]; then
    runtime_made=$(mktemp -d) # private to the user, as the folder must be
    export XDG_RUNTIME_DIR=$runtime_made
fi

pids=()
# Quiet as a whole: bash may remark on a process that wait -n has already reaped.
trap '{ kill "${pids[@]}" || true; } 2>/dev/null; [[ -z $runtime_made ]] || rm -rf "$runtime_made"' EXIT

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
