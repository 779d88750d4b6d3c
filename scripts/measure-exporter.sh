#!/usr/bin/env bash
# orvane-exporter under a lab's load, and its probes per second beside those of orvane-check
# (scripts/measure-fleet.sh).
#
# Two hundred simulated devices in one orvane-simdevice-hub on 127.0.5.10 - 127.0.5.209, the last
# fifty of them silent; the exporter on 127.0.5.2:9759, the hub's control on 127.0.5.1.
#
# Load: every 10 s, as Prometheus does for a job, curl scrapes /probe for all 200 devices at the
# same moment (200 connections in parallel) with a time-out of 1 s and Prometheus' header of a
# 10 s scrape time-out. Every answer must say what its device is (success 1 for the answering
# ones, 0 with not_reachable for the silent ones) and arrive within the time-out plus 50 ms. The
# script reports the slowest answer of each kind per round, the exporter's CPU time per probe,
# its threads and its peak resident memory (VmHWM), which must stay under 20 MiB.
#
# Throughput: PROBES probes of the answering devices, PARALLEL at a time (4, as measure-fleet.sh
# runs the check), as fast as they go: probes per second, and probes per second of the exporter's
# own CPU time (per core). The exporter's failure counters must not move.
#
# Abuse (scripts/exporter-clients.py), each with the exporter's peak resident memory from its
# start (what the exporter holds already included): 300 clients that send their request a byte
# every two seconds, while an ordinary probe every half second must be answered within 1.1 s; a
# request line of 300 MB, then a body of 300 MB; a burst of 1,500 probes of an answering device
# at once, none of which may say the device is down. Peak memory under the first two under
# 32 MiB.
#
# The exporter starts with the descriptor limit that systemd gives a service unless its unit
# says otherwise (1024).
#
# usage: scripts/measure-exporter.sh [ROUNDS] [PROBES] [PARALLEL]
#        (default 6, 5000 and 4; BUILD_DIR overrides build-perf, EXPORTER names another
#        orvane-exporter to measure, such as an earlier version's)
set -euo pipefail
source "$(dirname "$0")/measure-common.sh"

rounds=${1:-6}
probes=${2:-5000}
parallel=${3:-4}
hub=127.0.5.1
exporter=127.0.5.2:9759
answering=(127.0.5.{10..159})
silent=(127.0.5.{160..209})
timeout=1
limit=$(awk -v t="$timeout" 'BEGIN { print t + 0.05 }')
ticks=$(getconf CLK_TCK)

measure_build orvane-exporter orvane-simdevice-hub

# hub_commands: sends the hub one control request "ADDRESS LINE" per line of standard input and
# fails unless each is answered "ok: ...".
hub_commands() {
    python3 -c '
import socket, sys
hub = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
hub.settimeout(5)
for number, line in enumerate(sys.stdin.read().splitlines()):
    hub.sendto(f"{number} {line}".encode(), (sys.argv[1], int(sys.argv[2])))
    answer = hub.recv(65536).decode(errors="replace")
    if not answer.startswith(f"{number} ok"):
        sys.exit(f"hub: {line}: {answer}")
' "$hub" 9759
}

start_process "$build_dir/simdevice/hub/orvane-simdevice-hub" --control "$hub" --port 9759 \
    --idle-exit 3600 >"$scratch/hub.log" 2>&1
wait_until 5 grep -q 'listening on' "$scratch/hub.log" || fail "no hub: $(cat "$scratch/hub.log")"
{
    printf '%s start\n' "${answering[@]}" "${silent[@]}"
    printf '%s raw captureORVANE 1024#0.0.0.0\n' "${answering[@]}"
    printf '%s silent\n' "${silent[@]}"
} | hub_commands
exporter_program=${EXPORTER:-$build_dir/exporter/orvane-exporter}
start_process bash -c 'ulimit -Sn 1024 && exec "$0" "$@"' "$exporter_program" --listen "$exporter" \
    >"$scratch/exporter.log" 2>&1
exporter_pid=$!
wait_until 5 grep -q 'listening on' "$scratch/exporter.log" ||
    fail "no exporter: $(cat "$scratch/exporter.log")"

# The exporter's CPU time so far, in seconds.
cpu_seconds() {
    awk -v hz="$ticks" '{ printf "%.3f", ($14 + $15) / hz }' "/proc/$exporter_pid/stat"
}

# The machine's CPU time so far, all processes on all cores (the scraper and the devices too).
machine_cpu_seconds() {
    awk -v hz="$ticks" '/^cpu / { printf "%.3f", ($2 + $3 + $4 + $7 + $8) / hz }' /proc/stat
}

# One scrape of every device at once, into FOLDER: one file per device, named by its last octet,
# and "times" with a line "URL HTTP-CODE SECONDS" per device.
scrape_all() {
    local folder=$1
    mkdir -p "$folder"
    curl --silent --no-progress-meter --parallel --parallel-immediate --parallel-max 300 \
        -H 'X-Prometheus-Scrape-Timeout-Seconds: 10' -w '%{url} %{http_code} %{time_total}\n' \
        -o "$folder/#1" "http://$exporter/probe?target=127.0.5.[10-209]&timeout=$timeout" \
        >"$folder/times"
}

# Checks a round's answers and prints: slowest answering, slowest silent (seconds), median answering.
judge_round() {
    local folder=$1 octet says wrong=0 median
    for octet in {10..209}; do
        says='orvane_probe_success 1'
        ((octet < 160)) || says='orvane_state{state="not_reachable"} 1'
        grep -qxF "$says" "$folder/$octet" || wrong=$((wrong + 1))
    done
    ((wrong == 0)) || fail "$wrong answers of $folder do not say what their device is"
    # shellcheck disable=SC2046 # a list of numbers
    median=$(measure_median $(grep -v 'target=127\.0\.5\.\(1[6-9]\|20\)[0-9]&' "$folder/times" |
        cut -d' ' -f3))
    awk -v limit="$limit" -v median="$median" '
        { split($1, url, "target=127.0.5."); octet = url[2] + 0
          if ($2 != 200) { print "HTTP " $2 " for " $1 > "/dev/stderr"; bad = 1; exit }
          if ($3 > limit) late++
          if (octet >= 160) { if ($3 > silent) silent = $3 }
          else if ($3 > answering) answering = $3 }
        END { if (bad) exit 1
              if (late) { print late " answers later than " limit " s" > "/dev/stderr"; exit 1 }
              printf "%.4f %.4f %.4f\n", answering, silent, median }
    ' "$folder/times"
}

echo "load: ${#answering[@]} answering and ${#silent[@]} silent devices scraped at once every 10 s," \
    "time-out $timeout s, limit $limit s; $rounds rounds"
cpu_before=$(cpu_seconds)
start=$(date +%s.%N)
for ((round = 1; round <= rounds; round++)); do
    scrape_all "$scratch/round-$round"
    judged=$(judge_round "$scratch/round-$round") || fail "round $round missed"
    read -r slowest_answering slowest_silent median_answering <<<"$judged"
    echo "round $round: slowest answering $slowest_answering s (median $median_answering s)," \
        "slowest silent $slowest_silent s"
    sleep "$(awk -v s="$start" -v r="$round" -v now="$(date +%s.%N)" 'BEGIN {
        wait = s + 10 * r - now; print (wait > 0 ? wait : 0) }')"
done
awk -v a="$cpu_before" -v b="$(cpu_seconds)" -v n=$((rounds * 200)) 'BEGIN { cpu = b - a
    printf "exporter CPU over the load: %.3f s, %.3f ms per probe\n", cpu, 1000 * cpu / n }'
echo "exporter threads: $(awk '/^Threads:/ { print $2 }' "/proc/$exporter_pid/status")," \
    "peak resident memory: $(measure_peak_kib "$exporter_pid") KiB"
(($(measure_peak_kib "$exporter_pid") < 20 * 1024)) || fail "the exporter's memory reached 20 MiB"

# The failures counted so far, all causes together.
failures() {
    curl --silent "http://$exporter/metrics" |
        awk '/^orvane_exporter_probe_failures_total/ { sum += $2 } END { print sum }'
}
for ((i = 0; i < probes; i++)); do
    printf 'url = "http://%s/probe?target=%s"\noutput = "/dev/null"\n' "$exporter" \
        "${answering[i % ${#answering[@]}]}"
done >"$scratch/throughput.curl"
failures_before=$(failures)
cpu_before=$(cpu_seconds)
machine_before=$(machine_cpu_seconds)
start=$(date +%s.%N)
curl --silent --no-progress-meter --parallel --parallel-max "$parallel" -w '%{http_code}\n' -K "$scratch/throughput.curl" \
    >"$scratch/throughput.codes"
stop=$(date +%s.%N)
cpu_used=$(awk -v a="$cpu_before" -v b="$(cpu_seconds)" 'BEGIN { print b - a }')
machine_used=$(awk -v a="$machine_before" -v b="$(machine_cpu_seconds)" 'BEGIN { print b - a }')
(($(grep -cx 200 "$scratch/throughput.codes") == probes)) || fail "not every probe got HTTP 200"
(($(failures) == failures_before)) || fail "probes of answering devices failed"
awk -v n="$probes" -v p="$parallel" -v a="$start" -v b="$stop" -v cpu="$cpu_used" \
    -v machine="$machine_used" 'BEGIN {
    printf "throughput: %d probes, %d at a time: %.0f probes/s\n", n, p, n / (b - a)
    printf "exporter CPU %.2f s: %.0f probes per CPU second;", cpu, n / cpu
    printf " machine CPU (scraper and devices too) %.2f s: %.0f probes per CPU second\n",
        machine, n / machine }'
echo "peak resident memory at the end: $(measure_peak_kib "$exporter_pid") KiB"
echo "load average: $(cut -d' ' -f1-3 /proc/loadavg)"

# Abuse. misses: the goals missed, said at the end, after every figure.
misses=()
clients() {
    python3 "$measure_root/scripts/exporter-clients.py" "$1" "$exporter" "${@:2}"
}
# The exporter's peak resident memory from now on (Linux resets VmHWM on "5" in clear_refs).
reset_peak() {
    echo 5 >"/proc/$exporter_pid/clear_refs"
}
peak_within() {
    local what=$1 peak
    peak=$(measure_peak_kib "$exporter_pid")
    echo "peak resident memory $what: $peak KiB"
    ((peak < 32 * 1024)) || misses+=("peak memory $what $peak KiB, not under 32 MiB")
}

reset_peak
slow=$(clients slow 300 2 20 "${answering[1]}")
echo "$slow"
[[ $slow =~ slowest\ ordinary\ ([0-9.]+)\ s,\ 0\ without ]] &&
    awk -v s="${BASH_REMATCH[1]}" 'BEGIN { exit !(s < 1.1) }' ||
    misses+=("ordinary probes beside the slow clients: $slow")
peak_within "with 300 slow clients"

reset_peak
clients huge line 300
clients huge body 300
peak_within "under a request line and a body of 300 MB"

reset_peak
burst=$(clients burst 1500 "${answering[0]}")
echo "$burst"
[[ $burst == *" 0 success 0 (false)"* ]] || misses+=("false down in the burst")
echo "peak resident memory in the burst: $(measure_peak_kib "$exporter_pid") KiB"

kill -0 "$exporter_pid" || misses+=("the exporter ended under the abuse")

((${#misses[@]} == 0)) || fail "$(printf '%s; ' "${misses[@]}")"
