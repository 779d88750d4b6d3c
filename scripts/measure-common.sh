# Shared by the measurement scripts (sourced, not run): the build of the measured programs, a bare
# X server, a simulated device and a settings sandbox, all taken down again on exit.
# The scripts use only the loopback addresses of the benchmarks (127.0.0.170 - 127.0.0.189) and, for
# the fleet of scripts/measure-fleet.sh, 127.0.1.40 - 127.0.1.59.

measure_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build_dir=${BUILD_DIR:-$measure_root/build-perf}
measure_tmp=$(mktemp -d)
measure_pids=()

measure_cleanup() {
    local pid
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
    "$build_dir/tools/simdevice/orvane-simdevice" --address "$address" \
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
