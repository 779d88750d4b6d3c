# Shared by the monitoring-engine tests: the README's code blocks, simulated devices steered
# through fifos, waits with time limits, and processes that are always ended by their ids.
# Source it; it sets -euo pipefail and an EXIT trap of its own.

set -euo pipefail

SKIP=77 # CTest's SKIP_RETURN_CODE for these tests

started_pids=()
work=$(mktemp -d "${TMPDIR:-/tmp}/orvane-monitoring.XXXXXX")

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

note() {
    echo "monitoring: $*"
}

# Ends every process this script started, newest first (the engine before the devices it asks).
cleanup() {
    local status=$? index
    for ((index = ${#started_pids[@]} - 1; index >= 0; index--)); do
        kill "${started_pids[index]}" 2>/dev/null || true
    done
    for index in "${!started_pids[@]}"; do
        wait "${started_pids[index]}" 2>/dev/null || true
    done
    rm -rf "$work"
    exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

remember_pid() {
    started_pids+=("$1")
}

require_tools() {
    local tool missing=()
    for tool in "$@"; do
        command -v "$tool" >/dev/null || missing+=("$tool")
    done
    if ((${#missing[@]})); then
        echo "SKIP: missing ${missing[*]}; install them with scripts/install-deps.sh monitoring"
        exit "$SKIP"
    fi
}

# wait_until SECONDS COMMAND...: runs COMMAND every tenth of a second until it succeeds; false
# when the time runs out.
wait_until() {
    local deadline=$((SECONDS + $1))
    shift
    until "$@"; do
        ((SECONDS < deadline)) || return 1
        sleep 0.1
    done
}

# readme_block HEADING FILE: the lines of the first fenced code block after the line HEADING.
readme_block() {
    awk -v heading="$1" '
        $0 == heading { found = 1; next }
        found && /^```/ { if (inside) exit; inside = 1; next }
        inside { print }' "$2"
}

# start_device SIMDEVICE ADDRESS NAME [COMMAND]: a simulated device answering NAME#0.0.0.0 on
# ADDRESS, then steered by the console COMMAND. Its input is a fifo that this script holds open
# for the rest of its run.
start_device() {
    local simdevice=$1 address=$2 name=$3 command=${4:-} input output fd
    input=$work/device-$address.in
    output=$work/device-$address.out
    mkfifo "$input"
    "$simdevice" --address "$address" --name "$name" <"$input" >"$output" 2>&1 &
    remember_pid $!
    exec {fd}>"$input"
    wait_until 5 grep -q "listening on $address" "$output" ||
        fail "device on $address did not start: $(cat "$output")"
    [[ -n $command ]] || return 0
    echo "$command" >&"$fd"
    wait_until 5 grep -q '^ok: ' "$output" || fail "device on $address refused '$command'"
}
