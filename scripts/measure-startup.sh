#!/usr/bin/env bash
# Start-up time and peak memory of the monitor next to a minimal Qt Widgets program with one label.
#
# Both programs run on a bare X server (Xvfb) of their own; the monitor watches a simulated device
# that answers "free", so its first painted state is the green label. The minimal program shows one
# label in the same green. Time to the first painted state: from just before exec to the moment
# that green is on the screen in one of the program's windows, observed from outside by
# orvane-firstpaint-probe (it reads the window's pixels back every quarter millisecond once the
# window is mapped). Memory, a few seconds after that moment: the peak (VmHWM) and the private
# memory (Private_Clean + Private_Dirty of /proc/PID/smaps_rollup), the pages that are this
# process's alone, which the shared libraries' pages that every Qt program maps do not blur. Both
# programs run in a desktop session with a session bus of its own, as Qt finds one there.
# The runs alternate between the two programs; the medians are reported.
#
# With --windows the same for the Windows programs under wine: the monitor beside a minimal tray
# program (one label in the same green and a tray icon) built with the same Qt for Windows, both
# started by the wine loader in a prefix of their own whose server and services already run. The
# probe, the simulated device and the round trip stay native; the loader's process becomes the
# Windows program, so its VmHWM is the program's.
#
# usage: scripts/measure-startup.sh [--windows] [RUNS]     (default 7; BUILD_DIR overrides
#        build-perf, WINDOWS_BUILD_DIR build-win-perf)
set -euo pipefail
source "$(dirname "$0")/measure-common.sh"

windows=false
if [[ ${1:-} == --windows ]]; then
    windows=true
    shift
fi
runs=${1:-7}
settle_seconds=3

# The probe, the device and the round trip are native in both cases.
native_targets=(orvane-simdevice orvane-firstpaint-probe orvane-bench-query)
declare -A program=()
if $windows; then
    device=127.0.2.70
    minimal_name="minimal tray"
    measure_build "${native_targets[@]}"
    measure_build_windows orvane-monitor orvane-bench-minimal-tray
    program=([minimal]="$wine $windows_build_dir/orvane-bench-minimal-tray.exe"
        [monitor]="$wine $windows_build_dir/orvane-monitor.exe")
else
    device=127.0.0.180
    minimal_name="minimal label"
    measure_build "${native_targets[@]}" orvane-monitor orvane-bench-minimal-label
    program=([minimal]=$build_dir/bench/orvane-bench-minimal-label
        [monitor]=$build_dir/app/orvane-monitor)
fi
measure_start_x
! $windows || measure_start_wine
measure_start_device "$device"

probe=$build_dir/bench/orvane-firstpaint-probe
declare -A paint_ms=() peak_kib=() private_kib=()

# One start of a program: the time to its first green, then its memory once it has settled.
measure_once() {
    local which=$1 line pid
    # shellcheck disable=SC2086 # the program, after the wine loader under --windows
    line=$("$probe" 00ff00 ${program[$which]} "$device")
    pid=${line##*pid=}
    remember_pid "$pid"
    sleep "$settle_seconds"
    paint_ms[$which]+="$(sed -E 's/.*first_paint_ms=([0-9.]+).*/\1/' <<<"$line") "
    peak_kib[$which]+="$(measure_peak_kib "$pid") "
    private_kib[$which]+="$(measure_private_kib "$pid") "
    stop_process "$pid"
}

# Warm the file cache once for each, so that no run pays for the first read from disk.
measure_once minimal
measure_once monitor
paint_ms=() peak_kib=() private_kib=()
for ((i = 0; i < runs; i++)); do
    measure_once minimal
    measure_once monitor
done

# A second start for the device while its monitor runs hands over to that one and ends: how long
# that start takes, from exec to its end (the Linux program).
handover_ms=""
if ! $windows; then
    "${program[monitor]}" "$device" >/dev/null 2>&1 &
    running=$!
    remember_pid "$running"
    sleep "$settle_seconds"
    for ((i = 0; i < runs; i++)); do
        started=$(date +%s%N)
        "${program[monitor]}" "$device" >/dev/null 2>&1 || fail "a second start ended with $?"
        handover_ms+="$((($(date +%s%N) - started) / 1000000)) "
    done
    stop_process "$running"
fi

round_trip_us=$("$build_dir/bench/orvane-bench-query" --benchmark_filter='^BM_BareRoundTrip/' \
    --benchmark_repetitions=3 2>/dev/null | awk '$1 == "BM_BareRoundTrip" && NF == 3 {print $2}')

echo "runs: $runs each, alternating, after one warm-up run each"
printf '%-14s first paint ms: %s\n' "$minimal_name:" "${paint_ms[minimal]}" \
    monitor: "${paint_ms[monitor]}"
printf '%-14s peak KiB: %s\n' "$minimal_name:" "${peak_kib[minimal]}" monitor: "${peak_kib[monitor]}"
printf '%-14s private KiB: %s\n' "$minimal_name:" "${private_kib[minimal]}" \
    monitor: "${private_kib[monitor]}"
# shellcheck disable=SC2086 # a list of numbers
[[ -z $handover_ms ]] || echo "second start for a watched device, ms: $handover_ms(median" \
    "$(measure_median $handover_ms); target: within 100 ms)"
# shellcheck disable=SC2086 # lists of numbers
awk -v a="$(measure_median ${paint_ms[monitor]})" -v b="$(measure_median ${paint_ms[minimal]})" \
    -v m="$(measure_median ${peak_kib[monitor]})" -v n="$(measure_median ${peak_kib[minimal]})" \
    -v p="$(measure_median ${private_kib[monitor]})" \
    -v q="$(measure_median ${private_kib[minimal]})" \
    -v rt="$round_trip_us" 'BEGIN {
    limit = 1.2 * b + rt / 1000
    printf "time to first painted state, median: monitor %.1f ms, minimal %.1f ms, ratio %.2f\n",
        a, b, a / b
    printf "  target: at most 1.2 x minimal + one round trip (%.1f us) = %.1f ms: %s\n",
        rt, limit, (a <= limit ? "met" : "MISSED")
    printf "peak resident memory, median: monitor %.1f MiB, minimal %.1f MiB, ratio %.3f\n",
        m / 1024, n / 1024, m / n
    printf "  target: at most 1.1 x minimal = %.1f MiB: %s\n", 1.1 * n / 1024,
        (m <= 1.1 * n ? "met" : "MISSED")
    printf "private memory, median: monitor %.1f MiB, minimal %.1f MiB, ratio %.3f\n",
        p / 1024, q / 1024, p / q
    printf "  target: at most 1.08 x minimal = %.1f MiB: %s\n", 1.08 * q / 1024,
        (p <= 1.08 * q ? "met" : "MISSED")
}'
