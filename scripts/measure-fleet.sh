#!/usr/bin/env bash
# Checks per second of orvane-check next to check_udp (monitoring-plugins-basic) asking the same
# simulated devices, run the way a monitoring engine runs plugins: a fork and /bin/sh -c of the
# command line per check, several at a time, as the worker processes of Nagios 4 do for a command
# line with shell characters such as check_udp's quoted '#'. (orvane-check's command line from the
# README has none, and Nagios 4 forks and executes it without the shell, so the engine spends a
# little less on it than measured here.)
#
# Twenty devices answer "free" on 127.0.1.40 - 127.0.1.59. A round runs CHECKS checks of one
# plugin, spread evenly over the devices, with xargs keeping PARALLEL of them running; its rate is
# CHECKS over the round's wall-clock time, and every check must have answered OK. A baseline runs
# /bin/echo the same way: what starting a command costs without asking anything, so that each
# plugin's own cost per check is the difference of the inverse rates. The rounds alternate
# between the baseline and the two plugins; the medians and the ratios are reported.
#
# check_udp cannot send a NUL (its -E escapes stop at \n \r \t \\), so it sends "state" without
# the NUL that orvane-check sends after it; the devices read the request up to its first NUL and
# answer both alike.
#
# usage: scripts/measure-fleet.sh [CHECKS] [PARALLEL] [ROUNDS]
#        (default 500, 4 and 9; BUILD_DIR overrides build-perf)
set -euo pipefail
source "$(dirname "$0")/measure-common.sh"

checks=${1:-500}
parallel=${2:-4}
rounds=${3:-9}
devices=(127.0.1.{40..59})
check_udp=/usr/lib/nagios/plugins/check_udp

"$measure_root/scripts/install-deps.sh" monitoring
measure_build orvane-check orvane-simdevice
for device in "${devices[@]}"; do
    measure_start_device "$device"
done

plugins=(baseline orvane-check check_udp)
declare -A command_line=(
    [baseline]="/bin/echo OK - %s"
    [orvane-check]="$build_dir/check/orvane-check -H %s -t 1"
    [check_udp]="$check_udp -H %s -p 9758 -s state -e '#' -t 1"
)
declare -A ok_prefix=([baseline]="OK - " [orvane-check]="ORVANE OK - " [check_udp]="UDP OK - ")
declare -A rate=()

# One round of a plugin: prints its checks per second; fails when a check did not answer OK.
measure_round() {
    local plugin=$1 count=$2 lines=$scratch/commands output=$scratch/output
    local i start stop ok
    for ((i = 0; i < count; i++)); do
        # shellcheck disable=SC2059 # the command line is the format
        printf "${command_line[$plugin]}\n" "${devices[i % ${#devices[@]}]}"
    done >"$lines"
    start=$(date +%s.%N)
    xargs -d '\n' -n 1 -P "$parallel" /bin/sh -c <"$lines" >"$output" || true
    stop=$(date +%s.%N)
    ok=$(grep -c "^${ok_prefix[$plugin]}" "$output" || true)
    ((ok == count)) || fail "$plugin: $ok of $count checks OK"
    awk -v n="$count" -v a="$start" -v b="$stop" 'BEGIN { printf "%.1f", n / (b - a) }'
}

# A short round of each first, so that none pays for the first read from disk.
for plugin in "${plugins[@]}"; do
    measure_round "$plugin" 100 >/dev/null
done
for ((round = 0; round < rounds; round++)); do
    for plugin in "${plugins[@]}"; do
        rate[$plugin]+="$(measure_round "$plugin" "$checks") "
    done
done

echo "checks per round: $checks over ${#devices[@]} devices, $parallel at a time; $rounds rounds each, alternating"
declare -A median=()
for plugin in "${plugins[@]}"; do
    printf '%-13s checks/s: %s\n' "$plugin:" "${rate[$plugin]}"
    # shellcheck disable=SC2086 # a list of numbers
    median[$plugin]=$(measure_median ${rate[$plugin]})
done
awk -v e="${median[baseline]}" -v a="${median[orvane-check]}" -v b="${median[check_udp]}" 'BEGIN {
    printf "median checks/s: baseline %.0f, orvane-check %.0f, check_udp %.0f\n", e, a, b
    printf "ratio orvane-check / check_udp: %.2f\n", a / b
    own_a = 1000 / a - 1000 / e
    own_b = 1000 / b - 1000 / e
    printf "own cost per check above the baseline: orvane-check %.2f ms, check_udp %.2f ms",
        own_a, own_b
    if (own_a > 0 && own_b > 0) printf ", ratio %.2f", own_a / own_b
    printf "\n"
}'
echo "load average: $(cut -d' ' -f1-3 /proc/loadavg)"
