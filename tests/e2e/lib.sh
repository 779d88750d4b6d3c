# Shared by the end-to-end scripts: the tests' shell library (tests/lib/common.sh: processes,
# waits, failures, the simulated device, the X desktop, pictures, the session bus, wine) and the
# monitor as these scripts start and watch it. Source it; it sets -euo pipefail and cleans up
# when the script ends.
# shellcheck shell=bash

e2e_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=../lib/common.sh
source "$e2e_dir/../lib/common.sh" e2e desktop

# Another PC's address: only text in the device's reply ("held ..."); nothing is ever sent there.
readonly other_pc=198.51.100.7
# The monitor's standard error: its trace, with a line for each balloon where the rules ask for it.
readonly monitor_trace=$scratch/monitor.err

# start_monitor COMMAND...: starts the monitor, or what starts it, with its trace in
# $monitor_trace, emptied before it starts; its pid is in $! afterwards.
start_monitor() {
    start_process "$@" >"$scratch/monitor.out" 2>"$monitor_trace"
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

# Reads what the desktop shows of the program (tests/e2e/desktop_probe.py), with the system's
# Python, which has the D-Bus and AT-SPI bindings of the desktop package group.
probe() {
    /usr/bin/python3 "$e2e_dir/desktop_probe.py" "$@"
}
