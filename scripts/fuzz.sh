#!/usr/bin/env bash
# Builds the reply fuzzer with clang (libFuzzer, ASan, UBSan) and runs it on the seed corpus of
# tests/fuzz/corpus. New inputs that it finds are kept in the build directory, so that a later run
# goes on from there; a crashing input is written there too and ends the run with failure.
# usage: scripts/fuzz.sh [SECONDS]   (default 60, as CI runs it; give more for a long run)
#        ORVANE_FUZZ_JOBS=N runs N fuzzing processes side by side (default 1).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
build="build-fuzz"
jobs=${ORVANE_FUZZ_JOBS:-1}

scripts/install-deps.sh build test reliability
sanitize="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all"
cmake -S . -B "$build" -G Ninja -DORVANE_BUILD_GUI=OFF -DORVANE_FUZZ=ON \
    -DCMAKE_CXX_COMPILER=clang++-14 -DCMAKE_BUILD_TYPE=Fuzz \
    -DCMAKE_CXX_FLAGS_FUZZ="-O1 -g -fno-omit-frame-pointer $sanitize" >/dev/null
cmake --build "$build" --target fuzz_reply

work=$build/corpus
artifacts=$build/artifacts
mkdir -p "$work" "$artifacts"
log=$build/fuzz.log
# -close_fd_mask=1 silences the query's receive-failure lines on standard output; findings are
# reported on standard error. The longest valid reply is 128 bytes; a little more finds the
# oversized path.
parallel=()
[[ $jobs -gt 1 ]] && parallel=(-jobs="$jobs" -workers="$jobs")
status=0
"$build/tests/fuzz/fuzz_reply" "$work" tests/fuzz/corpus \
    -max_total_time="$seconds" -max_len=300 -close_fd_mask=1 -print_final_stats=1 \
    -artifact_prefix="$artifacts/" "${parallel[@]}" 2>"$log" || status=$?
if [[ $jobs -gt 1 ]]; then
    cat fuzz-*.log >>"$log" 2>/dev/null || true
    rm -f fuzz-*.log
fi
grep -E "^stat::number_of_executed_units|^stat::peak_rss_mb|^#[0-9]+ +DONE" "$log" || true
if [[ $status -ne 0 ]]; then
    tail -n 60 "$log" >&2
    echo "fuzz: the reply fuzzer found a fault; the input is in $artifacts/" >&2
    exit "$status"
fi
echo "fuzz: nothing found in $seconds s; corpus of $(ls "$work" | wc -l) inputs in $work"
