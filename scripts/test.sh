#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test: the Linux build, the whole tree
# built for Windows and tested under wine, the sanitizer build, and the reply fuzzer.
# usage: scripts/test.sh
#
# A build keeps both cores busy, while most tests wait (for the monitor's ten-second poll, for
# wine, for a desktop to come up). So each stage's tests run beside the next stage's build:
#
#   Linux build | Linux tests + Windows build | Windows tests + sanitizer build | sanitizer tests
#                                                                                 + reply fuzzer
#
# and on a new machine Qt for Windows, built once into a cache, builds beside the other packages
# and the Linux stage.
# What runs beside shows its output when it has ended; the first failure ends the run.
set -euo pipefail
cd "$(dirname "$0")/.."

logs=$(mktemp -d)
declare -A beside_pids=()

stop_beside() {
    local pid
    for pid in "${beside_pids[@]}"; do
        kill -- "-$pid" 2>/dev/null || true
    done
    rm -rf "$logs"
}
trap stop_beside EXIT

# beside NAME COMMAND...: runs the command in the background, in a process group of its own, with
# its output kept for finish.
beside() {
    local name=$1
    shift
    set -m
    "$@" </dev/null >"$logs/$name.log" 2>&1 &
    beside_pids[$name]=$!
    set +m
}

# finish NAME: waits for what runs beside, shows its output, and ends the run if it failed.
finish() {
    local name=$1 status=0 started=$SECONDS
    wait "${beside_pids[$name]}" || status=$?
    unset "beside_pids[$name]"
    echo "=== $name, beside: waited $((SECONDS - started)) s for it (at $SECONDS s)"
    cat "$logs/$name.log"
    if ((status != 0)); then
        echo "test: $name failed with exit code $status" >&2
        exit "$status"
    fi
}

# step NAME COMMAND...: runs the command here, and says how long it took.
step() {
    local name=$1 started=$SECONDS
    shift
    "$@"
    echo "=== $name: $((SECONDS - started)) s (at $SECONDS s)"
}

linux_build() {
    cmake -S . -B build -G Ninja -DORVANE_BUILD_TESTS=ON
    cmake --build build
}

# What Qt for Windows needs comes first, so that on a new machine its build is under way while the
# rest installs.
step packages-for-qt scripts/install-deps.sh windows-qt
beside qt-for-windows scripts/build-qt-windows.sh
step packages scripts/install-deps.sh build test windows reliability desktop monitoring
# Every build of the run compiles through a compiler cache kept beside Qt for Windows, so that a
# later run, from this clone or another, compiles only what changed. Paths below the tree are
# hashed relative to it, and the build directory not at all.
export CCACHE_DIR CCACHE_BASEDIR=$PWD CCACHE_NOHASHDIR=true CCACHE_MAXSIZE=2G
CCACHE_DIR=$(scripts/cache-dir.sh)/ccache
export CMAKE_C_COMPILER_LAUNCHER=ccache CMAKE_CXX_COMPILER_LAUNCHER=ccache
step linux-build linux_build
beside windows-build scripts/test-windows.sh build
step linux-tests ctest --test-dir build --output-on-failure -j "$(nproc)"
finish qt-for-windows
finish windows-build
beside sanitizer-build scripts/test-sanitizers.sh build
step windows-tests scripts/test-windows.sh test
finish sanitizer-build
beside fuzzer scripts/fuzz.sh 60
step sanitizer-tests scripts/test-sanitizers.sh test
finish fuzzer
echo "test: all stages passed in $SECONDS s"
