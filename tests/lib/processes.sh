# Processes that a script starts, always ended by their own ids when it ends, newest first, also
# when a check failed (part of tests/lib/common.sh).
# shellcheck shell=bash

started_pids=()
cleanup_hooks=()

# start_process COMMAND...: runs the program COMMAND in the background and remembers it for the
# cleanup; its pid is in $! afterwards, as for any background job. Redirections given with the
# call, standard input included (a background job would get /dev/null instead), are opened by
# this shell before the program starts.
start_process() {
    "$@" <&0 &
    remember_pid $!
}

# remember_pid PID: a process for the cleanup to end, also one that this script did not start
# itself (a program that a probe started for it).
remember_pid() {
    started_pids+=("$1")
}

forget_pid() {
    local pid=$1 kept=() other
    for other in "${started_pids[@]}"; do
        [[ $other == "$pid" ]] || kept+=("$other")
    done
    started_pids=("${kept[@]}")
}

# The process started last.
newest_process() {
    echo "${started_pids[-1]}"
}

# first_of IDS TEST [ARGUMENT...]: the first of IDS (a list of process or window ids) for which
# TEST ARGUMENT... ID succeeds; fails when there is none.
first_of() {
    local ids=$1 id
    shift
    for id in $ids; do
        if "$@" "$id"; then
            echo "$id"
            return 0
        fi
    done
    return 1
}

# Whether a process has ended (gone, or a zombie waiting for its exit code to be read).
process_ended() {
    [[ ! -e /proc/$1 ]] || [[ $(awk '{print $3}' "/proc/$1/stat" 2>/dev/null) == Z ]]
}

# expect_exit PID SECONDS CODE WHAT [LOG]: waits for a child to end and fails unless it ended
# with CODE: "WHAT ended the program with ...", with the end of LOG where given.
expect_exit() {
    local pid=$1 seconds=$2 expected=$3 what=$4 log=${5:-} status=0
    wait_until "$seconds" process_ended "$pid" || fail "$what: process $pid did not end within $seconds s"
    wait "$pid" || status=$?
    forget_pid "$pid"
    ((status == expected)) ||
        fail "$what ended the program with $status, not $expected${log:+: $(tail -n 60 "$log")}"
}

# stop_process PID [SECONDS]: ends a running process and waits for it (10 s by default).
stop_process() {
    local pid=$1 seconds=${2:-10}
    kill "$pid" || fail "process $pid had ended before it was to be stopped"
    wait_until "$seconds" process_ended "$pid" || fail "process $pid did not end within $seconds s"
    # Not a child of this shell where another program started it.
    wait "$pid" 2>/dev/null || true
    forget_pid "$pid"
}

# at_cleanup FUNCTION: FUNCTION runs when the script ends, before its processes are ended (newest
# hook first), whatever the outcome.
at_cleanup() {
    cleanup_hooks+=("$1")
}

# The EXIT trap: the hooks, then every process this script started, newest first, by its own
# id, then the scratch folder; the script's exit status stays.
cleanup() {
    local status=$? index pid
    for ((index = ${#cleanup_hooks[@]} - 1; index >= 0; index--)); do
        "${cleanup_hooks[index]}" || true
    done
    for ((index = ${#started_pids[@]} - 1; index >= 0; index--)); do
        kill "${started_pids[index]}" 2>/dev/null || true
    done
    for pid in "${started_pids[@]}"; do
        wait "$pid" 2>/dev/null || true
    done
    rm -rf "$scratch"
    exit "$status"
}
