# Shared by the measurement scripts (sourced, not run): the build of the measured programs, a bare
# X server, a simulated device, a settings sandbox and a wine prefix, all taken down again on exit.
# The scripts use only the loopback addresses of the benchmarks (127.0.0.170 - 127.0.0.189), for
# the fleet of scripts/measure-fleet.sh 127.0.1.40 - 127.0.1.59, and for the Windows program
# 127.0.2.70 - 127.0.2.79.

measure_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build_dir=${BUILD_DIR:-$measure_root/build-perf}
windows_build_dir=${WINDOWS_BUILD_DIR:-$measure_root/build-win-perf}
measure_tmp=$(mktemp -d)
measure_pids=()
measure_wineserver=

measure_cleanup() {
    local pid
    # First wine, whose programs and services hold the X server and live in the temporary prefix.
    if [[ -n $measure_wineserver ]]; then
        "$measure_wineserver" -k </dev/null >/dev/null 2>&1 || true
    fi
    for pid in "${measure_pids[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    wait 2>/dev/null || true
    rm -rf "$measure_tmp"
}
trap measure_cleanup EXIT

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

# A wine prefix of its own on the X server of measure_start_x, with a persistent server and wine's
# services already running, so that the measured starts pay for neither; sets measure_wine to the
# loader. Wine's .NET and HTML engines are left out: nothing needs them, and they would ask to be
# installed.
measure_start_wine() {
    measure_wine=/usr/lib/wine/wine64
    [[ -x $measure_wine ]] || measure_wine=$(command -v wine)
    measure_wineserver=/usr/lib/wine/wineserver64
    [[ -x $measure_wineserver ]] || measure_wineserver=$(command -v wineserver)
    export WINEPREFIX=$measure_tmp/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    export WINEPATH=$measure_winepath
    # wineserver and the services keep the output they were started with: not this script's.
    "$measure_wine" wineboot --init </dev/null >/dev/null 2>&1
    "$measure_wineserver" -w </dev/null >/dev/null 2>&1
    "$measure_wineserver" -p </dev/null >/dev/null 2>&1
    "$measure_wine" wineboot </dev/null >/dev/null 2>&1
}

# A bare X server of its own (no window manager, no tray), and a private home for the settings and
# the diagnostic log of the measured programs.
measure_start_x() {
    local fd_file=$measure_tmp/display
    Xvfb -displayfd 3 -noreset -screen 0 1024x768x24 -nolisten tcp 3>"$fd_file" 2>/dev/null &
    measure_pids+=($!)
    local tries=0
    while [[ ! -s $fd_file ]] && ((tries++ < 100)); do
        sleep 0.05
    done
    [[ -s $fd_file ]] || { echo "measure: Xvfb did not start" >&2; exit 2; }
    export DISPLAY=:$(cat "$fd_file")
    export QT_QPA_PLATFORM=xcb
    export HOME=$measure_tmp/home XDG_CONFIG_HOME=$measure_tmp/home/.config
    export XDG_STATE_HOME=$measure_tmp/home/.local/state XDG_RUNTIME_DIR=$measure_tmp/run
    mkdir -p "$HOME" "$XDG_RUNTIME_DIR"
    chmod 700 "$XDG_RUNTIME_DIR"
}

# A simulated device on ADDRESS answering "free"; it reads commands from a pipe kept open.
measure_start_device() {
    local address=$1 input=$measure_tmp/device-$1.input
    mkfifo "$input"
    sleep 86400 >"$input" &
    measure_pids+=($!)
    "$build_dir/simdevice/orvane-simdevice" --address "$address" \
        --name "captureORVANE 1024" <"$input" >/dev/null &
    measure_pids+=($!)
    sleep 0.3
}

# Peak resident memory (VmHWM) of a process, in KiB.
measure_peak_kib() {
    awk '/^VmHWM:/ {print $2}' "/proc/$1/status"
}

# The median of the numbers given as arguments.
measure_median() {
    printf '%s\n' "$@" | sort -g | awk '{v[NR] = $1} END {
        if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}
