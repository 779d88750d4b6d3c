#!/usr/bin/env bash
# The exporter's page at / as a person sees it, in headless Chromium from Debian: an exporter that
# probed four simulated devices (free; held by a PC whose host name the test's own resolver
# gives; silent; one whose name is markup) shows a row for each, with its state's words and
# colour, who holds it and since when; the markup is shown as text, no element made of it (no img,
# no script); at a phone's width the page is no wider than the phone. The screenshots stay in
# OUTPUT_DIR. Chromium runs with an empty profile of its own, speaks DevTools over a pipe, and is
# started and ended by this script by its process id.
# usage: lab_page_browser.sh ORVANE_EXPORTER ORVANE_SIMDEVICE OUTPUT_DIR
# shellcheck source=../lib/common.sh
source "$(dirname "$0")/../lib/common.sh" exporter desktop
# shellcheck source=../lib/resolver.sh
source "$lib_dir/resolver.sh"

exporter=${1:?usage: lab_page_browser.sh ORVANE_EXPORTER ORVANE_SIMDEVICE OUTPUT_DIR}
simdevice=${2:?}
output=${3:?}
require_tools chromium python3
printf '%s\n' '127.0.0.1 localhost' '192.0.2.7 labpc-07' >"$scratch/hosts"
script_with_own_resolver "$scratch/hosts" local "$0" "$@"

listen=127.0.4.50:19759
start_device "$simdevice" 127.0.4.51 CAPTURE-12
start_device "$simdevice" 127.0.4.52 SRC-6603
start_device "$simdevice" 127.0.4.53 CAPTURE-4
device_command 127.0.4.53 silent
start_device "$simdevice" 127.0.4.54 '<img src=x onerror=alert(1)>'
start_process "$exporter" --listen "$listen" >"$scratch/exporter.log" 2>&1
wait_until 5 grep -q 'listening on' "$scratch/exporter.log" ||
    fail "the exporter did not start: $(cat "$scratch/exporter.log")"

# probe ADDRESS: what the exporter answers for the device, as Prometheus asks it.
probe() {
    python3 -c 'import sys, urllib.request as r
print(r.build_opener(r.ProxyHandler({})).open(sys.argv[1], timeout=10).read().decode())' \
        "http://$listen/probe?target=$1&timeout=0.2"
}
for device in 127.0.4.51 127.0.4.52 127.0.4.53 127.0.4.54; do
    probe "$device" >/dev/null
done
# A change that the exporter sees: since when the PC holds the device is known.
device_command 127.0.4.52 'held 192.0.2.7'
named() { probe 127.0.4.52 | grep -q 'holder_name="labpc-07"'; }
wait_until 5 named || fail "the holder was not named: $(probe 127.0.4.52)"
note "the exporter probed four devices and named the holder 192.0.2.7 labpc-07"

mkfifo "$scratch/to-browser" "$scratch/from-browser"
mkdir -p "$scratch/profile" "$output"
start_process chromium --headless --no-sandbox --disable-gpu --disable-quic --no-first-run \
    --disable-background-networking --disable-component-update --disable-sync \
    --no-proxy-server --user-data-dir="$scratch/profile" --remote-debugging-pipe \
    3<>"$scratch/to-browser" 4<>"$scratch/from-browser" >"$scratch/browser.log" 2>&1
browser=$!
python3 "$(dirname "$0")/browser_probe.py" "$scratch/to-browser" "$scratch/from-browser" \
    "http://$listen/" "$output" >"$scratch/facts" 2>&1 ||
    fail "the browser did not show the page: $(cat "$scratch/facts") $(tail -n 20 "$scratch/browser.log")"
stop_process "$browser"

# Free first, then in use, then silent; the states first seen have no known beginning.
tab=$'\t'
expected=(
    "row${tab}CAPTURE-12${tab}captureORVANE${tab}127.0.4.51${tab}available${tab}${tab}not known, first seen 2???-??-?? ??:??${tab}? s ago${tab}rgb(0, 255, 0)"
    "row${tab}<img src=x onerror=alert(1)>${tab}captureORVANE${tab}127.0.4.54${tab}available${tab}${tab}not known, first seen 2???-??-?? ??:??${tab}? s ago${tab}rgb(0, 255, 0)"
    "row${tab}SRC-6603${tab}sourceORVANE${tab}127.0.4.52${tab}used by another PC${tab}labpc-07 (192.0.2.7)${tab}2???-??-?? ??:?? (? s)${tab}? s ago${tab}rgb(255, 255, 0)"
    "row${tab}${tab}${tab}127.0.4.53${tab}no connection${tab}${tab}not known, first seen 2???-??-?? ??:??${tab}? s ago${tab}rgb(255, 0, 0)"
    "elements${tab}0${tab}0"
    "phone-overflow${tab}0")
seen=$(<"$scratch/facts")
# The expected lines are a pattern, matched as a whole.
[[ $seen == $(printf '%s\n' "${expected[@]}") ]] || fail "the browser showed:
$seen
expected (? stands for any one character):
$(printf '%s\n' "${expected[@]}")"
note "each device's row with its words and colour, the markup as text and no element, the phone's width kept"
note "screenshots: $output/lab-page.png, $output/lab-page-phone.png"
