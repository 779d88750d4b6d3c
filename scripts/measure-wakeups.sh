#!/usr/bin/env bash
# Wake-ups of the running monitor between its polls.
#
# The monitor runs on a bare X server (Xvfb) against a simulated device that answers "free". Once
# its first state is painted and it has settled, strace follows all its threads for a span of time
# (default 60 s) and records every return from a call in which a thread waits (poll family,
# epoll, select, sleeps, futex waits) together with the time it waited. A wake-up is such a return
# after a wait of at least 1 ms: the thread was asleep and something woke it. Wake-ups within
# 100 ms of a reply of the device belong to that poll (the timer, and the X connection answering
# the repaint); every other one is a wake-up between polls and is listed. Peak memory at the end of the span shows whether the polls make the
# monitor grow.
#
# usage: scripts/measure-wakeups.sh [SECONDS]     (default 60; BUILD_DIR overrides build-perf)
set -euo pipefail
source "$(dirname "$0")/measure-common.sh"

span=${1:-60}
device=127.0.0.181

measure_build orvane-monitor orvane-simdevice orvane-firstpaint-probe
measure_start_x
measure_start_device "$device"

line=$("$build_dir/bench/orvane-firstpaint-probe" 00ff00 "$build_dir/app/orvane-monitor" "$device")
pid=${line##*pid=}
remember_pid "$pid"
sleep 2
peak_before=$(measure_peak_kib "$pid")

trace=$scratch/trace
waits=poll,ppoll,select,pselect6,epoll_wait,epoll_pwait,epoll_pwait2,nanosleep,clock_nanosleep
timeout -s INT "$span" strace -f -qq -ttt -T -e trace="$waits,futex,recvfrom" -e signal=none \
    -o "$trace" -p "$pid" || true
peak_after=$(measure_peak_kib "$pid")
threads=$(find "/proc/$pid/task" -mindepth 1 -maxdepth 1 | wc -l)

python3 - "$trace" "$span" "$waits,futex" <<'PY'
import re, sys

path, span, waits = sys.argv[1], float(sys.argv[2]), set(sys.argv[3].split(","))
# "TID START name(args) = result <duration>" or "TID END <... name resumed> ...) = result <dur>"
line_re = re.compile(r"^(\d+)\s+([\d.]+)\s+(?:<\.\.\. (\w+) resumed>|(\w+)\().*= (-?\w+).*<([\d.]+)>$")
calls = []
for text in open(path):
    m = line_re.match(text.strip())
    if not m:
        continue
    tid, stamp, resumed, started, _, dur = m.groups()
    name = resumed or started
    if name == "futex" and resumed is None and "FUTEX_WAIT" not in text:
        continue  # a futex wake: the other side of a wait, not a wait
    end = float(stamp) + (0 if resumed else float(dur))
    calls.append((tid, end, name, float(dur), text.strip()))
replies = [end for tid, end, name, _, _ in calls if name == "recvfrom"]
wakeups = [c for c in calls if c[2] in waits and c[3] >= 0.001]
# A poll wakes the main thread shortly before the reply comes in; the X connection's own thread
# wakes right after it, for the answers to the repaint and the new title.
polls, extra = [], []
for call in wakeups:
    tied = any(-0.1 <= reply - call[1] <= 0.1 for reply in replies)
    (polls if tied else extra).append(call)
threads = sorted({c[0] for c in polls})
print(f"span: {span:.0f} s; polls (replies received): {len(replies)}")
print(f"wake-ups after a wait of 1 ms or more: {len(wakeups)}")
print(f"  within 100 ms of a poll's reply: {len(polls)}, in threads {', '.join(threads)}")
for tid, end, name, dur, text in polls[:12]:
    print(f"    thread {tid} {name} after {dur * 1000:.1f} ms: {text[:120]}")
print(f"  between polls: {len(extra)}  (target: 0)")
for tid, end, name, dur, text in extra[:40]:
    print(f"    thread {tid} {name} after {dur * 1000:.1f} ms: {text[:120]}")
PY
echo "threads of the monitor: $threads"
echo "peak resident memory: $((peak_before / 1024)) MiB before the span, $((peak_after / 1024)) MiB after"
