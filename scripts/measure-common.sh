# Shared by the measurement scripts (sourced, not run): the build of the measured programs, a bare
# X server with a user of its own, and the numbers. Processes, the simulated devices and wine come
# from the tests' shell library (tests/lib/common.sh), which takes all of it down again on exit.
# The scripts use only the loopback addresses of the benchmarks (127.0.0.170 - 127.0.0.189), for
# the fleet of scripts/measure-fleet.sh 127.0.1.40 - 127.0.1.59, and for the Windows program
# 127.0.2.70 - 127.0.2.79.
# shellcheck shell=bash

measure_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build_dir=${BUILD_DIR:-$measure_root/build-perf}
windows_build_dir=${WINDOWS_BUILD_DIR:-$measure_root/build-win-perf}
# shellcheck source=../tests/lib/common.sh
source "$measure_root/tests/lib/common.sh" measure bench

# Builds the named targets in a Release build with the benchmarks switched on.
measure_build() {
    "$measure_root/scripts/install-deps.sh" build bench
    cmake -S "$measure_root" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DORVANE_BUILD_BENCHMARKS=ON >/dev/null
    cmake --build "$build_dir" --target "$@" >/dev/null
}

# Builds the named targets for Windows in a Release build against Qt for Windows, and sets
# measure_winepath to the folders of the DLLs they need, as the build's wine-run.sh names them.
measure_build_windows() {
    local qt
    "$measure_root/scripts/install-deps.sh" windows
    qt=$("$measure_root/scripts/build-qt-windows.sh" | tail -n 1)
    local configure=(-G Ninja -DCMAKE_TOOLCHAIN_FILE="$measure_root/cmake/toolchain-mingw64.cmake")
    [[ -f $windows_build_dir/CMakeCache.txt ]] && configure=()
    cmake -S "$measure_root" -B "$windows_build_dir" "${configure[@]}" -DCMAKE_BUILD_TYPE=Release \
        -DORVANE_QT_WINDOWS_PREFIX="$qt" -DORVANE_BUILD_GUI=ON -DORVANE_BUILD_TESTS=OFF \
        -DORVANE_BUILD_BENCHMARKS=ON >/dev/null
    cmake --build "$windows_build_dir" --target "$@" >/dev/null
    measure_winepath=$(sed -n "s/.*WINEPATH='\([^']*\)'.*/\1/p" "$windows_build_dir/wine-run.sh")
}

# A wine prefix of its own on the X server of measure_start_x, with its server and wine's services
# already running, so that the measured starts pay for neither.
measure_start_wine() {
    export WINEPATH=$measure_winepath
    start_wine
    # wine's services keep the output they were started with: not this script's.
    wine_run wineboot </dev/null >/dev/null 2>&1
}

# A bare X server of its own (no window manager, no tray) with a session bus, as every desktop
# session has one and Qt connects to it, and a private home for the settings and the diagnostic
# log of the measured programs.
measure_start_x() {
    start_xvfb
    start_session_bus
    export QT_QPA_PLATFORM=xcb
    use_private_home
    use_private_runtime_folder
}

# A simulated device on ADDRESS answering "free".
measure_start_device() {
    start_device "$build_dir/simdevice/orvane-simdevice" "$1" "captureORVANE 1024"
}

# Peak resident memory (VmHWM) of a process, in KiB.
measure_peak_kib() {
    awk '/^VmHWM:/ {print $2}' "/proc/$1/status"
}

# Private memory of a process, in KiB: the pages that it alone maps, clean and dirty.
measure_private_kib() {
    awk '/^Private_(Clean|Dirty):/ {kib += $2} END {print kib}' "/proc/$1/smaps_rollup"
}

# The median of the numbers given as arguments.
measure_median() {
    printf '%s\n' "$@" | sort -g | awk '{v[NR] = $1} END {
        if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}
