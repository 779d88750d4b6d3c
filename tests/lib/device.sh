# The simulated device (orvane-simdevice) on a loopback address, commanded through a fifo that the
# script holds open (part of tests/lib/common.sh). A script may run several; each is known by its
# address.
# shellcheck shell=bash

declare -A device_pids=() device_inputs=()

# start_device PROGRAM ADDRESS NAME: the simulated device PROGRAM on ADDRESS, answering as NAME
# that it is free, until it is told otherwise (device_command).
start_device() {
    local program=$1 address=$2 name=$3 fifo=$scratch/device-$2.in input
    mkfifo "$fifo"
    # Read and write: opening it blocks neither this script nor the device, and no write can
    # meet a fifo without a reader.
    exec {input}<>"$fifo"
    hold_descriptor "$input"
    device_inputs[$address]=$input
    start_process "$program" --address "$address" --name "$name" <"$fifo" \
        >"$(device_log "$address")" 2>&1
    device_pids[$address]=$!
    wait_until 5 grep -q "listening on $address" "$(device_log "$address")" ||
        fail "device on $address did not start: $(cat "$(device_log "$address")")"
}

# What the device on ADDRESS has printed: one answer per command.
device_log() {
    echo "$scratch/device-$1.out"
}

# device_command ADDRESS COMMAND: sends one command and waits for the device's answer to it, which
# must be "ok: ...".
device_command() {
    local address=$1 command=$2 log before answer
    log=$(device_log "$address")
    before=$(wc -l <"$log")
    echo "$command" >&"${device_inputs[$address]}"
    wait_until 5 test "$(wc -l <"$log")" -gt "$before" || device_gave_no_answer "$address" "$command"
    answer=$(tail -n 1 "$log")
    [[ $answer == ok:* ]] || fail "device on $address refused '$command': $answer"
}

# device_gave_no_answer ADDRESS COMMAND: fails, saying whether the device still runs or how it
# ended (its exit code only in the shell that started it, which alone can wait for it).
device_gave_no_answer() {
    local address=$1 pid=${device_pids[$1]} condition="it runs" status=0
    if process_ended "$pid"; then
        condition="it has ended"
        if ((BASHPID == $$)); then
            wait "$pid" || status=$?
            condition="it ended with $status"
        fi
    fi
    fail "device on $address gave no answer to '$2' ($condition): $(tail -n 3 "$(device_log "$address")")"
}

# requests_seen ADDRESS: how many state requests the device has seen, one per poll of a monitor.
requests_seen() {
    local answer count
    device_command "$1" status
    answer=$(tail -n 1 "$(device_log "$1")")
    count=$(sed -n 's/.* \([0-9][0-9]*\) requests seen$/\1/p' <<<"$answer")
    [[ -n $count ]] || fail "no request count in: $answer"
    echo "$count"
}
