#!/usr/bin/env bash
# The real Prometheus scrapes orvane-exporter through the shipped example configuration, adapted to
# three simulated devices (free; taken by another PC once scraped, with a name of awkward bytes;
# silent) and a scrape every second: within two scrapes its query API must show each device's
# state, probe success, device info and holder with its host name, the time of the change that
# the exporter saw, and what the README's expressions make of them. promtool checks the shipped
# configuration as it stands and tests the shipped rules and the README's hours per PC on given
# series (orvane-rules.test.yml). Prometheus runs with a configuration, storage and port of its
# own on 127.0.4.11 and is ended by its process id; all under a resolver of the test's own
# (tests/lib/resolver.sh), so that the exporter's lookup of the holder stays on this machine. At
# the end, SIGTERM with probes in flight.
# usage: prometheus_engine.sh ORVANE_EXPORTER ORVANE_SIMDEVICE EXAMPLES_DIR
# shellcheck source=../lib/common.sh
source "$(dirname "$0")/../lib/common.sh" exporter monitoring
# shellcheck source=../lib/resolver.sh
source "$lib_dir/resolver.sh"

exporter=${1:?usage: prometheus_engine.sh ORVANE_EXPORTER ORVANE_SIMDEVICE EXAMPLES_DIR}
simdevice=${2:?}
examples=${3:?}
require_tools prometheus promtool curl
printf '%s\n' '127.0.0.1 localhost' '192.0.2.7 labpc-07' >"$scratch/hosts"
script_with_own_resolver "$scratch/hosts" local "$0" "$@"

promtool check config "$examples/prometheus-orvane.yml" >"$scratch/check.txt" 2>&1 ||
    fail "promtool check config: $(cat "$scratch/check.txt")"
promtool test rules "$(dirname "$0")/orvane-rules.test.yml" >"$scratch/rules.txt" 2>&1 ||
    fail "promtool test rules: $(cat "$scratch/rules.txt")"
note "promtool accepts the example configuration, and the rules compute the given series right"

start_device "$simdevice" 127.0.4.20 CAPTURE-12
start_device "$simdevice" 127.0.4.21 SRC-6603
start_device "$simdevice" 127.0.4.22 CAPTURE-4
device_command 127.0.4.22 silent
start_process "$exporter" --listen 127.0.4.12:19759 >"$scratch/exporter.log" 2>&1
exporter_pid=$!
wait_until 5 grep -q 'listening on' "$scratch/exporter.log" ||
    fail "the exporter did not start: $(cat "$scratch/exporter.log")"

# The example, scraping every second, the three devices through the exporter on its address.
sed -e 's/scrape_interval: .*/scrape_interval: 1s/' -e 's/scrape_timeout: .*/scrape_timeout: 1s/' \
    -e 's/targets: \[192\.168\.[^]]*\]/targets: [127.0.4.20, 127.0.4.21, 127.0.4.22]/' \
    -e 's/127\.0\.0\.1:9759/127.0.4.12:19759/' "$examples/prometheus-orvane.yml" >"$scratch/prometheus.yml"
cp "$examples/orvane-rules.yml" "$scratch/"
(($(grep -c '127\.0\.4\.' "$scratch/prometheus.yml") == 3)) ||
    fail "the example's targets or exporter address were not found: $(cat "$scratch/prometheus.yml")"
start_process prometheus --config.file="$scratch/prometheus.yml" \
    --storage.tsdb.path="$scratch/data" --web.listen-address=127.0.4.11:19090 >"$scratch/prometheus.log" 2>&1
prometheus_pid=$!
wait_until 30 grep -q 'Server is ready to receive web requests' "$scratch/prometheus.log" ||
    fail "Prometheus did not start: $(tail -n 20 "$scratch/prometheus.log")"

# An empty label is no label to Prometheus: the free device's info has no holder.
expected='orvane_device_info{holder="192.0.2.7", instance="127.0.4.21", job="orvane", kind="sourceORVANE", name="SRC-6603 \"lab\"\\\\x0a\\xff"} => 1
orvane_device_info{instance="127.0.4.20", job="orvane", kind="captureORVANE", name="CAPTURE-12"} => 1
orvane_holder_info{holder="192.0.2.7", holder_name="labpc-07", instance="127.0.4.21", job="orvane"} => 1
orvane_probe_success{instance="127.0.4.20", job="orvane"} => 1
orvane_probe_success{instance="127.0.4.21", job="orvane"} => 1
orvane_probe_success{instance="127.0.4.22", job="orvane"} => 0
orvane_state{instance="127.0.4.20", job="orvane", state="available"} => 1
orvane_state{instance="127.0.4.21", job="orvane", state="used_by_other_pc"} => 1
orvane_state{instance="127.0.4.22", job="orvane", state="not_reachable"} => 1'
# query EXPRESSION: what Prometheus answers, one series a line without the time stamps, sorted.
query() {
    promtool query instant http://127.0.4.11:19090 "$1" 2>&1 | sed 's/ @\[.*//' | LC_ALL=C sort
}
# Prometheus hands new targets to its scrapers some seconds after it starts; from their first
# scrape on, the devices' series must be right within two scrapes (two seconds) of the change, the
# first of which sees the holder and the second its name, and a second for a busy machine.
series='orvane_device_info or orvane_probe_success or orvane_state == 1 or orvane_holder_info'
scraped() { [[ $(query 'count(up{job="orvane"})') == '{} => 3' ]]; }
right() { [[ $(query "$series") == "$expected" ]]; }
wait_until 20 scraped || fail "Prometheus did not scrape the three devices: $(query up)"
device_command 127.0.4.21 'raw SRC-6603 "lab"\\\n\xff#192.0.2.7'
wait_until 4 right ||
    fail "two scrapes after the change, Prometheus has:
$(query "$series")
expected:
$expected"
note "Prometheus shows the state, success, info and holder of each device within two scrapes"

# Only the change seen has a time; the states first seen began before the exporter knew them.
changed=$(query 'count by (instance) (orvane_state_change_timestamp_seconds)')
[[ $changed == '{instance="127.0.4.21"} => 1' ]] || fail "the times of changes: $changed"
# The README's "held for how long" and the state timeline's query.
held=$(query '(time() - orvane_state_change_timestamp_seconds)
  * on (instance, job) group_left (holder, holder_name) orvane_holder_info')
pattern='^\{holder="192\.0\.2\.7", holder_name="labpc-07", instance="127\.0\.4\.21", job="orvane"\} => [0-9]{1,2}(\.[0-9]+)?$'
[[ $held =~ $pattern ]] || fail "held for how long: $held"
timeline=$(query '3 * sum without (state) (orvane_state{state="available"})
  + 2 * sum without (state) (orvane_state{state="used_by_this_pc"})
  + sum without (state) (orvane_state{state="used_by_other_pc"})')
[[ $timeline == '{instance="127.0.4.20", job="orvane"} => 3
{instance="127.0.4.21", job="orvane"} => 1
{instance="127.0.4.22", job="orvane"} => 0' ]] || fail "the state timeline's values: $timeline"
note "the change's time, how long the holder has held the device, and the state timeline's values"

# SIGTERM with probes of the silent device in flight and waiting (one at a time per device), with
# Prometheus gone so that they are the only ones: each is answered 503 at once, not waited for.
stop_process "$prometheus_pid"
metrics() { curl --silent http://127.0.4.12:19759/metrics; }
# Prometheus' last probes of the silent device end within their time-out.
wait_until 15 eval 'metrics | grep -qx "orvane_exporter_probes_in_flight 0"' ||
    fail "Prometheus' probes did not end: $(metrics | grep probes_)"
curls=()
for i in 1 2 3; do
    curl --silent --max-time 5 --output "$scratch/stopped-$i" --write-out '%{http_code}' \
        'http://127.0.4.12:19759/probe?target=127.0.4.22&timeout=10' >"$scratch/stopped-$i.code" &
    curls+=($!)
done
wait_until 5 eval 'metrics | grep -qx "orvane_exporter_probes_queued 2"' ||
    fail "the three probes are not in flight and waiting: $(metrics | grep probes_)"
kill "$exporter_pid"
expect_exit "$exporter_pid" 2 0 "SIGTERM" "$scratch/exporter.log"
for i in 1 2 3; do
    wait "${curls[i - 1]}" || true
    [[ $(cat "$scratch/stopped-$i.code") == 503 && $(cat "$scratch/stopped-$i") == "the exporter is stopping" ]] ||
        fail "probe $i at SIGTERM: HTTP $(cat "$scratch/stopped-$i.code") $(cat "$scratch/stopped-$i")"
done
note "SIGTERM with probes in flight: each answered 503, the exporter ended with 0 within 2 s"
