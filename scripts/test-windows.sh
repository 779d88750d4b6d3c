#!/usr/bin/env bash
# Cross-builds the whole tree for Windows (mingw-w64, against Qt for Windows, which
# scripts/build-qt-windows.sh builds once into a cache) and runs its tests under wine: the network
# layer, the widget, entry and monitor suites against simulated devices that run natively, the
# program end to end on an X server, and the installer. Part of scripts/test.sh.
# usage: scripts/test-windows.sh [build|test] [BUILD_DIR [CTEST_OPTION...]]
#        (default: both steps, build-win; CTEST_OPTION such as -R NAME picks tests)
set -euo pipefail
cd "$(dirname "$0")/.."

steps=(build test)
case ${1-} in build | test) steps=("$1") && shift ;; esac
build=${1:-build-win}
ctest_options=("${@:2}")

build_windows() {
    scripts/install-deps.sh windows desktop
    qt=$(scripts/build-qt-windows.sh | tail -n 1)

    configure=(-G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw64.cmake)
    if [[ -f $build/CMakeCache.txt ]]; then
        # The toolchain only counts when the build directory is made; later CMake would warn about
        # it. A build directory from before Qt was part of it (network layer only, linked
        # statically) is made afresh.
        if grep -q '^ORVANE_QT_WINDOWS_PREFIX:' "$build/CMakeCache.txt"; then
            configure=()
        else
            configure+=(--fresh)
        fi
    fi
    cmake -S . -B "$build" "${configure[@]}" -DORVANE_QT_WINDOWS_PREFIX="$qt" \
        -DORVANE_BUILD_GUI=ON -DORVANE_BUILD_TESTS=ON
    cmake --build "$build"
}

test_windows() {
    # The prefix and variables the build's wine-run.sh gives CTest's wine.
    export WINEPREFIX
    WINEPREFIX=$(cd "$build" && pwd)/wineprefix
    export WINEDEBUG=-all
    # No installer dialogs for wine's .NET and HTML engines: there is no display, and none is
    # needed.
    export WINEDLLOVERRIDES="mscoree,mshtml="
    # wine's loader and server as the tests find them, and stop_wine, which ends the prefix's
    # programs.
    # shellcheck source=../tests/lib/wine.sh
    source tests/lib/wine.sh

    # wineserver and wine's services outlive the program that started them and keep its standard
    # input and output: started by a test, they would hold CTest's pipe and every test would wait
    # for them. So the prefix is made and a persistent server with its services is started here,
    # detached from this script's output, and ended afterwards whatever the outcome. (The desktop
    # tests make prefixes of their own, on their own X server.)
    trap stop_wine EXIT
    if [[ ! -f $WINEPREFIX/system.reg ]]; then
        echo "test-windows: creating the wine prefix $WINEPREFIX"
        "$wine" wineboot --init </dev/null >/dev/null 2>&1
        "$wineserver" -w </dev/null >/dev/null 2>&1
    fi
    "$wineserver" -p </dev/null >/dev/null 2>&1
    "$wine" wineboot </dev/null >/dev/null 2>&1
    # Wine hands no QT_ variable of ours to its programs, but adds the user's environment from the
    # registry: Qt's messages and test reports go to standard output and error, as on Linux, rather
    # than to a debugger (programs under wine have no console).
    "$wine" reg add 'HKCU\Environment' /v QT_FORCE_STDERR_LOGGING /d 1 /f </dev/null >/dev/null 2>&1

    ctest --test-dir "$build" --output-on-failure -j "$(nproc)" "${ctest_options[@]}"
}

for step in "${steps[@]}"; do
    "${step}_windows"
done
