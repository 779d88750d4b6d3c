#!/usr/bin/env bash
# Cross-builds the network layer and its tests for Windows (mingw-w64) and runs them under wine,
# against simulated devices that run natively. Part of scripts/test.sh.
# usage: scripts/test-windows.sh [BUILD_DIR]   (default: build-win)
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build-win}
scripts/install-deps.sh windows
toolchain=()
# The toolchain only counts when the build directory is made; later CMake would warn about it.
[[ -f $build/CMakeCache.txt ]] || toolchain=(-DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw64.cmake)
cmake -S . -B "$build" -G Ninja "${toolchain[@]}" -DORVANE_BUILD_GUI=OFF -DORVANE_BUILD_TESTS=ON
cmake --build "$build"

# The prefix and variables the toolchain file gives CTest's wine.
export WINEPREFIX
WINEPREFIX=$(cd "$build" && pwd)/wineprefix
export WINEDEBUG=-all
# No installer dialogs for wine's .NET and HTML engines: there is no display, and none is needed.
export WINEDLLOVERRIDES="mscoree,mshtml="
wine=/usr/lib/wine/wine64
[[ -x $wine ]] || wine=$(command -v wine)
wineserver=/usr/lib/wine/wineserver64
[[ -x $wineserver ]] || wineserver=$(command -v wineserver)

# wineserver and wine's services outlive the program that started them and keep its standard
# input and output: started by a test, they would hold CTest's pipe and every test would wait for
# them. So the prefix is made and a persistent server with its services is started here, detached
# from this script's output, and ended afterwards whatever the outcome.
stop_wine() { "$wineserver" -k </dev/null >/dev/null 2>&1 || true; }
trap stop_wine EXIT
if [[ ! -f $WINEPREFIX/system.reg ]]; then
    echo "test-windows: creating the wine prefix $WINEPREFIX"
    "$wine" wineboot --init </dev/null >/dev/null 2>&1
    "$wineserver" -w </dev/null >/dev/null 2>&1
fi
"$wineserver" -p </dev/null >/dev/null 2>&1
"$wine" wineboot </dev/null >/dev/null 2>&1

ctest --test-dir "$build" --output-on-failure -j "$(nproc)"
