# The simulated device (orvane-simdevice) on a loopback address, commanded through a fifo (part
# of tests/lib/common.sh). A script may run several; each is known by its address.
# shellcheck shell=bash

declare -A device_pids=()

# start_device PROGRAM ADDRESS NAME: the simulated device PROGRAM on ADDRESS, answering as NAME
# that it is free, until it is told otherwise (device_command).
start_device() {
    local program=$1 address=$2 name=$3 log
    log=$(device_log "$address")
    mkfifo "$(device_input "$address")"
    # A process that holds the fifo open for reading and writing: the device never sees the end of
    # its input, and a command written to it never waits for a reader.
    start_process sleep infinity <>"$(device_input "$address")"
    start_process "$program" --address "$address" --name "$name" <"$(device_input "$address")" \
        >"$log" 2>&1
    device_pids[$address]=$!
    wait_until 5 grep -q "listening on $address" "$log" ||
        fail "device on $address did not start: $(cat "$log")"
}

device_input() {
    echo "$scratch/device-$1.in"
}

# What the device on ADDRESS has printed: one answer per command.
device_log() {
    echo "$scratch/device-$1.out"
}

# device_command ADDRESS COMMAND: sends one command and waits for the device's answer to it, which
# must be "ok: ...".
device_command() {
    local address=$1 command=$2 before answer
    before=$(wc -l <"$(device_log "$address")")
    echo "$command" >"$(device_input "$address")"
    wait_until 5 device_answered "$address" "$before" || device_gave_no_answer "$address" "$command"
    answer=$(tail -n 1 "$(device_log "$address")")
    [[ $answer == ok:* ]] || fail "device on $address refused '$command': $answer"
}

# device_answered ADDRESS LINES: whether the device has printed more than LINES lines (counted
# anew on every try of a wait).
device_answered() {
    (($(wc -l <"$(device_log "$1")") > $2))
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
